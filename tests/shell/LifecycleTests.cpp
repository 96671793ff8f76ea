// Start-up, the resume question, and what quitting records.
#include "ShellFixture.h"

#include "document/SaveFiles.h"
#include "document/SavesIndex.h"
#include "engine/CCDirector.h"
#include "platform/Paths.h"
#include "platform/UserDefaults.h"
#include "shell/LoadAnimationController.h"
#include "shell/MainMenuController.h"

#include <QDir>

namespace {

const QString kResume = QStringLiteral("Would you like to load the last animation?");

void storeState(QVariant state) {
    auto& d = platform::UserDefaults::standardUserDefaults();
    d.setObject(state, QStringLiteral("lastState"));
    d.synchronize();
}

QVariantMap state(int current, int autoSave, int frame) {
    return {{QStringLiteral("currentSaveId"), current},
            {QStringLiteral("autoSaveId"), autoSave},
            {QStringLiteral("currentFrameIndex"), frame}};
}

} // namespace

TEST_F(ShellTest, TheResumeQuestionComesOnlyWhenTheRecordNamesASave) {
    const struct {
        QVariant record;
        bool asks;
    } cases[] = {{QVariant(), false},
                 {state(0, 0, 0), false},
                 {state(-1, -1, 3), false},
                 {state(3, 3, 0), true},
                 {state(-1, 4, 1), true}};
    for (const auto& c : cases) {
        storeState(c.record);
        restart();
        EXPECT_EQ(alertUp(kResume), c.asks) << c.record.toMap().value("autoSaveId").toInt();
        EXPECT_EQ(app->window()->rootViewController(), app->mainMenuController());
    }
}

TEST_F(ShellTest, LoadRestoresTheSaveAndItsFrameAndCancelKeepsTheRecord) {
    newAnimation(2);
    game()->addPlayer(nullptr);
    game()->snap(nullptr);
    game()->snap(nullptr);
    const int id = saveAs(QStringLiteral("First"));
    ASSERT_GT(id, 0);
    game()->setCurrentFrameAtIndex(1);
    app->applicationWillTerminate();
    EXPECT_EQ(lastState(), state(id, id, 1));

    restart();
    answer(kResume, QStringLiteral("Cancel"));
    EXPECT_EQ(game()->parentViewController(), nullptr);
    EXPECT_EQ(lastState(), state(id, id, 1));

    restart();
    answer(kResume, QStringLiteral("Load"));
    EXPECT_EQ(game()->parentViewController(), app->mainMenuController());
    EXPECT_EQ(game()->frames().size(), 3u);
    EXPECT_EQ(game()->currentFrameIndex(), 1);
    EXPECT_EQ(game()->currentSaveId(), id);
    EXPECT_EQ(game()->autoSaveId(), id);
    EXPECT_FALSE(game()->isDirty());
}

TEST_F(ShellTest, QuittingWithoutTheEditorOnScreenRemovesTheRecord) {
    storeState(state(2, 2, 0));
    restart();
    answer(kResume, QStringLiteral("Cancel"));
    app->applicationWillTerminate();
    EXPECT_TRUE(lastState().isEmpty());

    // An animation opened and closed again is no longer on screen either.
    newAnimation(1);
    game()->close(nullptr);
    platform::finishViewAnimations();
    app->applicationWillTerminate();
    EXPECT_TRUE(lastState().isEmpty());
    restart();
    EXPECT_FALSE(alertUp(kResume));
}

// Quitting with an unsaved new animation on screen saves it as "Untitled" and records it, also
// while it plays (the automatic save skips playing animations) and while the editor's exit
// question is up (the editor no longer counts as presented then).
TEST_F(ShellTest, QuittingSavesTheAnimationOnScreenAsUntitledAndRecordsIt) {
    enum Moment { Editing, Playing, ExitQuestionUp };
    for (Moment moment : {Editing, Playing, ExitQuestionUp}) {
        SCOPED_TRACE(int(moment));
        restart();
        newAnimation(3);
        game()->addPlayer(nullptr);
        game()->snap(nullptr);
        if (moment == Playing) {
            game()->setCurrentFrameAtIndex(0);
            game()->play();
            ASSERT_TRUE(game()->isPlaying());
        }
        if (moment == ExitQuestionUp) {
            game()->close(nullptr);
            ASSERT_TRUE(alertUp(
                QStringLiteral("You are exiting the animation. Anything unsaved will be lost!")));
        }
        const int frame = game()->currentFrameIndex();
        const int before = SavesIndex::shared().entries().size();
        app->applicationWillTerminate();

        const auto entries = SavesIndex::shared().entries();
        ASSERT_EQ(entries.size(), before + 1);
        EXPECT_EQ(entries.back().saveName, QStringLiteral("Untitled"));
        EXPECT_EQ(lastState(), state(-1, entries.back().saveId, frame));
        EXPECT_FALSE(game()->isDirty());
    }
    // The next start offers it.
    restart();
    EXPECT_TRUE(alertUp(kResume));
    answer(kResume, QStringLiteral("Load"));
    EXPECT_EQ(game()->currentSaveId(), -1);
    EXPECT_EQ(game()->autoSaveId(), SavesIndex::shared().entries().back().saveId);
}

TEST_F(ShellTest, ARecordOfADeletedSaveStartsAFreshAnimationAndSaysSo) {
    newAnimation(2);
    game()->addPlayer(nullptr);
    const int id = saveAs(QStringLiteral("Gone"));
    app->applicationWillTerminate();
    LoadAnimationController::deleteSaveFiles(id, platform::documentsFolder());
    ASSERT_TRUE(SavesIndex::shared().remove(id));

    restart();
    answer(kResume, QStringLiteral("Load"));
    EXPECT_TRUE(alertUp(QStringLiteral("The last animation is gone")));
    EXPECT_EQ(game()->parentViewController(), app->mainMenuController());
    EXPECT_EQ(game()->currentSaveId(), -1);
    EXPECT_EQ(game()->autoSaveId(), -1);
    EXPECT_EQ(game()->frames().size(), 1u);

    // What is saved from here on has an entry of its own.
    game()->addPlayer(nullptr);
    game()->saveTimerTick();
    const int saved = game()->autoSaveId();
    EXPECT_GT(saved, id);
    EXPECT_TRUE(SavesIndex::shared().contains(saved));
    EXPECT_FALSE(QFileInfo::exists(platform::documentPath(savefiles::indexFileName(id))));
}

TEST_F(ShellTest, LosingTheFocusPausesDrawingUntilItComesBack) {
    app->applicationWillResignActive();
    EXPECT_TRUE(CCDirector::sharedDirector().isPaused());
    app->applicationDidBecomeActive();
    EXPECT_FALSE(CCDirector::sharedDirector().isPaused());
}
