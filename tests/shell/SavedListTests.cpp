// The saved list: its rows, renaming, deleting a save's files, opening one.
#include "ShellFixture.h"

#include "document/PictureLedger.h"
#include "document/SaveFiles.h"
#include "document/SavesIndex.h"
#include "platform/Paths.h"
#include "platform/UserDefaults.h"
#include "shell/AboutController.h"
#include "shell/DetailController.h"
#include "shell/LoadAnimationController.h"
#include "shell/MainMenuController.h"
#include "shell/NavigationController.h"
#include "shell/NewAnimationController.h"
#include "shell/SettingsController.h"

#include <QCheckBox>
#include <QPushButton>
#include <QSlider>
#include <QTextBrowser>

#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>

namespace {

QStringList filesOfSave(int saveId) {
    QStringList files;
    for (const QString& name : QDir(platform::documentsFolder()).entryList(QDir::Files))
        if (savefiles::saveIdOfFile(name) == saveId)
            files << name;
    return files;
}

QStringList names(const LoadAnimationController* list) {
    QStringList n;
    for (const auto& e : const_cast<LoadAnimationController*>(list)->saves())
        n << e.saveName;
    return n;
}

} // namespace

TEST_F(ShellTest, TheListSaysWhenEmptyAndRenamingKeepsTheEntrysPlace) {
    LoadAnimationController* list = app->loadAnimationController();
    app->mainMenuController()->loadAnimation(nullptr);
    platform::finishViewAnimations();
    EXPECT_EQ(list->sectionHeader(), QStringLiteral("You have no saved animations"));
    EXPECT_TRUE(list->headerLabel()->isVisibleTo(list->view()));
    EXPECT_EQ(list->table()->count(), 0);
    list->close(nullptr);
    platform::finishViewAnimations();

    for (const char* name : {"Alpha", "Beta", "Gamma"}) {
        newAnimation(2);
        game()->addPlayer(nullptr);
        saveAs(QString::fromLatin1(name));
        game()->close(nullptr);
        app->newAnimationController()->close(nullptr);
        platform::finishViewAnimations();
    }
    app->mainMenuController()->loadAnimation(nullptr);
    platform::finishViewAnimations();
    EXPECT_EQ(list->sectionHeader(), QString());
    EXPECT_EQ(list->table()->count(), 3);

    NavigationController* nav = app->mainMenuController()->loadNavigationController();
    list->toggleEditing(nullptr);
    EXPECT_EQ(list->editButton()->text(), QStringLiteral("Done"));
    const struct {
        bool save;
        QStringList after;
    } steps[] = {{false, {"Alpha", "Beta", "Gamma"}}, {true, {"Alpha", "Bee", "Gamma"}}};
    for (const auto& step : steps) {
        list->didSelectRow(1);
        platform::finishViewAnimations();
        DetailController* detail = list->detailController();
        ASSERT_EQ(nav->visibleViewController(), detail);
        EXPECT_EQ(detail->textField()->text(), QStringLiteral("Beta"));
        EXPECT_EQ(detail->textField()->placeholderText(), QStringLiteral("Animation Title"));
        detail->textField()->setText(QStringLiteral("Bee"));
        if (step.save)
            detail->save(nullptr);
        else
            detail->cancel(nullptr);
        platform::finishViewAnimations();
        EXPECT_EQ(nav->visibleViewController(), list);
        EXPECT_EQ(names(list), step.after);
        QStringList stored;
        for (const auto& e : SavesIndex::shared().entries())
            stored << e.saveName;
        EXPECT_EQ(stored, step.after);
        if (!step.save) {
            // Back to Beta for the next step's check.
            list->didSelectRow(1);
            list->detailController()->textField()->setText(QStringLiteral("Beta"));
            list->detailController()->cancel(nullptr);
            platform::finishViewAnimations();
        }
    }
    EXPECT_EQ(list->table()->item(1)->data(Qt::UserRole).toString(), QStringLiteral("Bee"));
}

// A save of 45 frames with pictures of its own: deleting it removes its index, packs 1 and 2,
// a leftover pack and its pictures, and the ledger forgets them; save 11, whose file names begin
// the same way, keeps everything.
TEST_F(ShellTest, DeletingASaveRemovesItsFilesAndPicturesAndNothingElse) {
    const QImage mine = quarters(400, 300);
    game()->startNewAnimation(NewAnimationController::kCustomBackground, mine);
    for (int i = 1; i < 45; ++i)
        game()->snap(nullptr);
    const int doomed = saveAs(QStringLiteral("Doomed"));
    ASSERT_EQ(doomed, 1);
    ASSERT_FALSE(PictureLedger::shared().filesOf(mine.cacheKey()).isEmpty());

    auto& defaults = platform::UserDefaults::standardUserDefaults();
    defaults.setInteger(10, QStringLiteral("maxSaveId"));
    defaults.synchronize();
    const QImage theirs = quarters(200, 100);
    game()->startNewAnimation(NewAnimationController::kCustomBackground, theirs);
    game()->snap(nullptr);
    const int kept = saveAs(QStringLiteral("Kept"));
    ASSERT_EQ(kept, 11);
    QFile leftover(platform::documentPath(savefiles::packFileName(doomed, 7)));
    leftover.open(QIODevice::WriteOnly);
    leftover.close();

    const QStringList before = filesOfSave(doomed);
    for (const QString& f : {savefiles::indexFileName(doomed), savefiles::packFileName(doomed, 1),
                             savefiles::packFileName(doomed, 2)})
        EXPECT_TRUE(before.contains(f)) << f.toStdString();
    EXPECT_TRUE(std::any_of(before.begin(), before.end(),
                            [](const QString& f) { return f.startsWith("bg-"); }));
    const QStringList keptFiles = filesOfSave(kept);

    app->mainMenuController()->loadAnimation(nullptr);
    LoadAnimationController* list = app->loadAnimationController();
    list->toggleEditing(nullptr);
    list->commitDelete(0);
    EXPECT_EQ(names(list), QStringList{QStringLiteral("Kept")});
    EXPECT_EQ(list->table()->count(), 1);
    EXPECT_FALSE(SavesIndex::shared().contains(doomed));
    EXPECT_EQ(filesOfSave(doomed), QStringList());
    EXPECT_EQ(filesOfSave(kept), keptFiles);
    EXPECT_TRUE(PictureLedger::shared().filesOf(mine.cacheKey()).isEmpty());

    // Deleted files are gone for good; the other save still opens with its picture.
    list->toggleEditing(nullptr);
    list->didSelectRow(0);
    EXPECT_EQ(game()->parentViewController(), list);
    EXPECT_EQ(game()->frames().size(), 2u);
    EXPECT_EQ(game()->currentFrameIndex(), 0);
    EXPECT_EQ(game()->currentSaveId(), kept);
    EXPECT_EQ(game()->frames()[0]->backgroundImage().size(), QSize(200, 100));
    EXPECT_TRUE(platform::AlertView::visibleAlerts().empty());
}

TEST_F(ShellTest, SettingsShowAndStoreAnAllowedPeriod) {
    const struct {
        QVariant stored;
        bool enabled;
        int shown;
    } cases[] = {{QVariant(), false, 15}, {45.0f, true, 15}, {5.0f, false, 15}, {22.0f, true, 22}};
    for (const auto& c : cases) {
        auto& d = platform::UserDefaults::standardUserDefaults();
        d.setObject(c.stored, QStringLiteral("autosave_frequency"));
        d.setBool(c.enabled, QStringLiteral("autosave_enabled"));
        d.synchronize();
        restart();
        app->mainMenuController()->settings(nullptr);
        SettingsController* s = app->settingsController();
        EXPECT_EQ(s->autosaveFrequency()->value(), c.shown);
        EXPECT_EQ(s->enableAutosave()->isChecked(), c.enabled);
        s->close(nullptr);
        restart();
        auto& after = platform::UserDefaults::standardUserDefaults();
        EXPECT_EQ(after.floatForKey(QStringLiteral("autosave_frequency")), float(c.shown));
        EXPECT_EQ(after.boolForKey(QStringLiteral("autosave_enabled")), c.enabled);
    }
    app->mainMenuController()->about(nullptr);
    EXPECT_TRUE(app->aboutController()->webView()->toPlainText().contains("Kelvora"));
}
