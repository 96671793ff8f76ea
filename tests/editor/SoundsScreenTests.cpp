#include "EditorFixture.h"
#include "editor/SoundsController.h"
#include "engine/CCDirector.h"
#include "sounds/SoundManager.h"

#include <QListWidget>
#include <QPushButton>
#include <QTest>

namespace {

using SoundsScreenTest = EditorTest;

TEST_F(SoundsScreenTest, TitlesAreCapitalisedWordByWord) {
    EXPECT_EQ(SoundsController::displayTitle("Rifle shot"), "Rifle Shot");
    EXPECT_EQ(SoundsController::displayTitle("Paintball multi-shot"), "Paintball Multi-shot");
    EXPECT_EQ(SoundsController::displayTitle("Horse - Whinnie"), "Horse - Whinnie");
    EXPECT_EQ(SoundsController::displayTitle("Gun Shot 357 Magnum"), "Gun Shot 357 Magnum");
    EXPECT_EQ(SoundsController::displayTitle("big_BANG now"), "Big bang Now");
}

TEST_F(SoundsScreenTest, TickingRowsChangesTheFramesSoundsAndPlaysThem) {
    gvc->showSounds();
    SoundsController* sc = gvc->soundsController();
    EXPECT_EQ(gvc->modalViewController(), sc);
    EXPECT_FALSE(CCDirector::sharedDirector().isAnimating());
    EXPECT_EQ(sc->frame(), gvc->currentFrame());
    QListWidget* list = sc->tableView();
    ASSERT_EQ(list->count(), 59);
    EXPECT_EQ(list->item(42)->text(), "Rifle Shot");

    const int kiss = 29;
    ASSERT_EQ(SoundManager::sharedSoundMgr().soundTitles()[kiss], "Kiss");
    takePlayed();
    QListWidgetItem* row = list->item(kiss);
    list->scrollToItem(row);
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(row).center());
    EXPECT_TRUE(gvc->currentFrame()->containsSound(sound("Kiss").get()));
    EXPECT_TRUE(sc->isRowChecked(kiss));
    EXPECT_TRUE(gvc->isDirty());
    EXPECT_EQ(takePlayed(), QStringList{"Kiss.aif"});
    EXPECT_TRUE(list->selectedItems().isEmpty());

    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(row).center());
    EXPECT_FALSE(gvc->currentFrame()->containsSound(sound("Kiss").get()));
    EXPECT_FALSE(sc->isRowChecked(kiss));
    EXPECT_EQ(takePlayed(), QStringList{"Kiss.aif"});

    // Sounds are appended in the order ticked.
    sc->selectRow(58);
    sc->selectRow(2);
    ASSERT_EQ(gvc->currentFrame()->sounds().size(), 2u);
    EXPECT_EQ(gvc->currentFrame()->sounds()[0]->fileName(), "Zip.aif");

    auto* doneButton = sc->view()->findChild<QPushButton*>("soundsDone");
    ASSERT_NE(doneButton, nullptr);
    QTest::mouseClick(doneButton, Qt::LeftButton);
    EXPECT_EQ(gvc->modalViewController(), nullptr);
    EXPECT_TRUE(CCDirector::sharedDirector().isAnimating());
}

TEST_F(SoundsScreenTest, CheckMarksFollowTheFrame) {
    frame(0).addSound(sound("Zip"));
    gvc->snap(nullptr);
    frame(1).addSound(sound("Boing"));
    gvc->showSounds();
    SoundsController* sc = gvc->soundsController();
    EXPECT_TRUE(sc->isRowChecked(2));
    EXPECT_FALSE(sc->isRowChecked(58));
    EXPECT_TRUE(sc->tableView()->item(2)->data(Qt::UserRole + 1).toBool());
    sc->done();
    gvc->prevFrame(nullptr);
    gvc->showSounds();
    EXPECT_TRUE(sc->tableView()->item(58)->data(Qt::UserRole + 1).toBool());
    EXPECT_FALSE(sc->tableView()->item(2)->data(Qt::UserRole + 1).toBool());
    sc->done();
}

} // namespace
