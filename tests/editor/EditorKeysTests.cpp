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

class EditorKeysTest : public FreshHomeEditorTest {
protected:
    void SetUp() override {
        FreshHomeEditorTest::SetUp();
        window = std::make_unique<platform::Window>();
        window->setRootViewController(gvc.get());
        window->show();
        QApplication::setActiveWindow(window.get());
        ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
    }
    void TearDown() override {
        for (const auto& a : platform::AlertView::visibleAlerts())
            a->cancel();
        platform::finishViewAnimations();
        gvc->view()->setParent(nullptr);
        window.reset();
        FreshHomeEditorTest::TearDown();
    }

    // Keys go where the user's would: to the widget holding the keyboard.
    static void press(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
        QWidget* focus = QApplication::focusWidget();
        ASSERT_NE(focus, nullptr);
        QTest::keyClick(focus, key, modifiers);
    }

    std::unique_ptr<platform::Window> window;
};

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

} // namespace
