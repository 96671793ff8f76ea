// The editor's keys work its buttons, in the window, as clicks would.

#include "EditorFixture.h"
#include "editor/SoundsController.h"
#include "items/BoundingSprite.h"
#include "platform/UserDefaults.h"
#include "platform/widgets/ViewAnimation.h"
#include "platform/widgets/Window.h"
#include "sounds/SoundManager.h"

#include <QApplication>
#include <QListWidget>
#include <QTest>

namespace {

using EditorKeysTest = WindowedEditorTest;

TEST_F(EditorKeysTest, FramesAreTakenSteppedAndDeletedFromTheKeyboard) {
    gvc->addSprite(box(Point(100, 100)));
    press(Qt::Key_N);
    press(Qt::Key_N);
    ASSERT_EQ(gvc->frames().size(), 3u);
    EXPECT_EQ(gvc->currentFrameIndex(), 2);
    press(Qt::Key_Left);
    press(Qt::Key_Left);
    EXPECT_EQ(gvc->currentFrameIndex(), 0);
    press(Qt::Key_Right);
    EXPECT_EQ(gvc->currentFrameIndex(), 1);

    // Shift+Delete asks first; while it asks, the editor's keys wait.
    press(Qt::Key_Delete, Qt::ShiftModifier);
    ASSERT_EQ(platform::AlertView::visibleAlerts().size(), 1u);
    press(Qt::Key_Left);
    press(Qt::Key_Delete, Qt::ShiftModifier);
    EXPECT_EQ(gvc->currentFrameIndex(), 1);
    EXPECT_EQ(platform::AlertView::visibleAlerts().size(), 1u);
    answerAlert("Delete current frame?", "Delete");
    EXPECT_EQ(gvc->frames().size(), 2u);
    // The keyboard is back with the editor.
    press(Qt::Key_Left);
    EXPECT_EQ(gvc->currentFrameIndex(), 0);
}

TEST_F(EditorKeysTest, SpacePlaysAndStops) {
    press(Qt::Key_N);
    press(Qt::Key_Left);
    press(Qt::Key_Space);
    EXPECT_TRUE(gvc->isPlaying());
    // The toolbar is hidden while playing, so are its keys.
    press(Qt::Key_Left);
    EXPECT_EQ(gvc->currentFrameIndex(), 0);
    press(Qt::Key_Space);
    EXPECT_FALSE(gvc->isPlaying());
}

TEST_F(EditorKeysTest, CtrlSAsksForANameAndReturnSaves) {
    gvc->addSprite(box(Point(100, 100)));
    press(Qt::Key_S, Qt::ControlModifier);
    ASSERT_EQ(platform::AlertView::visibleAlerts().size(), 1u);
    QTest::keyClicks(QApplication::focusWidget(), QStringLiteral("Duel"));
    press(Qt::Key_Return);
    EXPECT_TRUE(platform::AlertView::visibleAlerts().empty());
    EXPECT_GT(gvc->currentSaveId(), 0);
    EXPECT_FALSE(gvc->isDirty());
    const QVariantList saves = platform::UserDefaults::standardUserDefaults().arrayForKey("saves");
    ASSERT_EQ(saves.size(), 1);
    EXPECT_EQ(saves[0].toMap().value("saveName").toString(), "Duel");
    press(Qt::Key_N);
    EXPECT_EQ(gvc->frames().size(), 2u);
}

TEST_F(EditorKeysTest, SoundsAreTickedFromTheKeyboard) {
    gvc->showSounds();
    platform::finishViewAnimations();
    EXPECT_EQ(QApplication::focusWidget(), gvc->soundsController()->tableView());
    press(Qt::Key_Space);
    press(Qt::Key_Down);
    press(Qt::Key_Down);
    press(Qt::Key_Return);
    const auto& catalogue = SoundManager::sharedSoundMgr().sounds();
    const auto& sounds = gvc->currentFrame()->sounds();
    ASSERT_EQ(sounds.size(), 2u);
    EXPECT_EQ(sounds[0], catalogue[0]);
    EXPECT_EQ(sounds[1], catalogue[2]);
    press(Qt::Key_Return);
    EXPECT_EQ(gvc->currentFrame()->sounds().size(), 1u);
    EXPECT_EQ(takePlayed().size(), 3);

    press(Qt::Key_Escape);
    platform::finishViewAnimations();
    EXPECT_EQ(gvc->modalViewController(), nullptr);
    // Back in the editor, its keys work again.
    press(Qt::Key_N);
    EXPECT_EQ(gvc->frames().size(), 2u);
}

TEST_F(EditorKeysTest, KeysDoNothingUnderAnotherScreen) {
    gvc->showSounds();
    platform::finishViewAnimations();
    // Even with the keyboard on the editor, its buttons are covered.
    QTest::keyClick(gvc->view(), Qt::Key_N);
    QTest::keyClick(gvc->view(), Qt::Key_Space);
    EXPECT_EQ(gvc->frames().size(), 1u);
    EXPECT_FALSE(gvc->isPlaying());
}

TEST_F(EditorKeysTest, UndoAndRedoFromKeysAndButtons) {
    QAbstractButton* undo = gvc->actions().button(EditorActions::Undo);
    QAbstractButton* redo = gvc->actions().button(EditorActions::Redo);
    ASSERT_NE(undo, nullptr);
    ASSERT_NE(redo, nullptr);
    EXPECT_FALSE(undo->isEnabled());
    EXPECT_FALSE(redo->isEnabled());
    EXPECT_EQ(undo->toolTip(), QStringLiteral("Undo (Ctrl+Z)"));

    gvc->addSprite(box(Point(100, 100)));
    press(Qt::Key_N);
    ASSERT_EQ(gvc->frames().size(), 2u);
    EXPECT_TRUE(undo->isEnabled());
    press(Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(gvc->frames().size(), 1u);
    EXPECT_EQ(gvc->frameLayer()->children().size(), 1u);
    EXPECT_TRUE(redo->isEnabled());
    press(Qt::Key_Z, Qt::ControlModifier);
    EXPECT_TRUE(gvc->frameLayer()->children().empty());
    EXPECT_FALSE(gvc->isDirty()); // back where it started: closing would not ask
    EXPECT_FALSE(undo->isEnabled());
    press(Qt::Key_Y, Qt::ControlModifier);
    EXPECT_EQ(gvc->frameLayer()->children().size(), 1u);
    press(Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(gvc->frames().size(), 2u);
    EXPECT_EQ(gvc->currentFrameIndex(), 1);
    QTest::mouseClick(undo, Qt::LeftButton);
    EXPECT_EQ(gvc->frames().size(), 1u);
}

TEST_F(EditorKeysTest, AHiddenButtonLeavesItsKeyToOthers) {
    gvc->addSprite(box(Point(100, 100)));
    press(Qt::Key_N);
    press(Qt::Key_N);
    // Playing hides the toolbar: its arrow keys are not taken, and nothing steps.
    gvc->play();
    gvc->playStep();
    const int shown = gvc->currentFrameIndex();
    EXPECT_FALSE(gvc->actions().handleKey(QKeyCombination(Qt::Key_Left)));
    EXPECT_FALSE(gvc->actions().handleKey(QKeyCombination(Qt::CTRL | Qt::Key_Z)));
    EXPECT_EQ(gvc->currentFrameIndex(), shown);
    EXPECT_EQ(gvc->frames().size(), 3u);
    // The key goes on to the window, as an unused key does.
    int reachedWindow = 0;
    struct Counter : QObject {
        int* n;
        explicit Counter(int* count) : n(count) {}
        bool eventFilter(QObject*, QEvent* e) override {
            if (e->type() == QEvent::KeyPress)
                ++*n;
            return false;
        }
    } counter(&reachedWindow);
    window->installEventFilter(&counter);
    press(Qt::Key_Left);
    window->removeEventFilter(&counter);
    EXPECT_EQ(reachedWindow, 1);
    gvc->stop();
    EXPECT_TRUE(gvc->actions().handleKey(QKeyCombination(Qt::Key_Left)));
}

} // namespace
