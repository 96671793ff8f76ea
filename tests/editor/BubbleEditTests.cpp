// The speech-bubble text screen that a double tap on a bubble opens.

#include "StageFixture.h"
#include "editor/SpeechBubbleEditController.h"
#include "engine/CCDirector.h"
#include "engine/CCTouchDispatcher.h"
#include "items/SpeechBubble.h"
#include "platform/widgets/ViewAnimation.h"

#include <QApplication>
#include <QPlainTextEdit>
#include <QPushButton>

namespace {

class BubbleEditTest : public StageTest {
protected:
    void SetUp() override {
        StageTest::SetUp();
        bubble = SpeechBubble::spriteWithFile("speech-bubble.png");
        bubble->setPosition(Point(240, 160));
        bubble->setText("Hi");
        editor->addSprite(bubble);
        allowDoubleTaps(true);
    }
    // Two quick touches on the bubble, after one far away so they count from one.
    void doubleTap() {
        tap(Point(420, 240));
        tap(Point(240, 160));
        tap(Point(240, 160));
    }
    SpeechBubbleEditController* screen() const { return editor->speechBubbleEditor(); }
    bool screenShown() const { return screen() && editor->modalViewController() == screen(); }
    void click(const char* button) {
        auto* b = screen()->view()->findChild<QPushButton*>(button);
        ASSERT_NE(b, nullptr) << button;
        b->click();
        platform::finishViewAnimations();
    }
    int undoCount() { return editor->animation().undoStack().count(); }

    std::shared_ptr<SpeechBubble> bubble;
};

TEST_F(BubbleEditTest, ADoubleTapOpensTheScreenAndDoneSetsTheTextAsOneStep) {
    CCDirector& director = CCDirector::sharedDirector();
    ASSERT_TRUE(director.isAnimating());
    doubleTap();
    ASSERT_TRUE(screenShown());
    EXPECT_FALSE(director.isAnimating());
    EXPECT_EQ(screen()->speechBubble(), bubble);
    EXPECT_EQ(stage->selectedItem(), bubble.get());
    platform::finishViewAnimations();
    QPlainTextEdit* field = screen()->textView();
    EXPECT_EQ(field->toPlainText(), "Hi");
    EXPECT_EQ(QApplication::focusWidget(), field);

    // Clear empties the field only; Return in the field is a new line.
    click("bubbleClear");
    EXPECT_EQ(field->toPlainText(), "");
    EXPECT_EQ(bubble->text(), "Hi");
    QTest::keyClicks(field, "Hello");
    QTest::keyClick(field, Qt::Key_Return);
    QTest::keyClicks(field, "you");
    EXPECT_TRUE(screenShown());
    const int before = undoCount();
    click("bubbleDone");
    EXPECT_EQ(bubble->text(), "Hello\nyou");
    EXPECT_FALSE(screenShown());
    EXPECT_TRUE(director.isAnimating());
    EXPECT_EQ(undoCount(), before + 1);
    EXPECT_TRUE(editor->isDirty());
    editor->undo();
    EXPECT_EQ(bubble->text(), "Hi");
    editor->redo();
    EXPECT_EQ(bubble->text(), "Hello\nyou");

    // The mouse: a double click opens a new screen; Ctrl+Return is Done.
    SpeechBubbleEditController* first = screen();
    mousePress(Point(420, 240));
    mouseRelease(Point(420, 240));
    mouseDoubleClick(Point(240, 160));
    ASSERT_TRUE(screenShown());
    EXPECT_NE(screen(), first);
    platform::finishViewAnimations();
    screen()->textView()->setPlainText("Bye");
    QTest::keyClick(screen()->textView(), Qt::Key_Return, Qt::ControlModifier);
    EXPECT_EQ(bubble->text(), "Bye");
    EXPECT_FALSE(screenShown());
    EXPECT_TRUE(director.isAnimating());
}

TEST_F(BubbleEditTest, CancelEscapeOrClosingTheAnimationChangeNothingAndDrawAgain) {
    CCDirector& director = CCDirector::sharedDirector();
    for (const char* way : {"escape", "cancel", "clear all"}) {
        SCOPED_TRACE(way);
        const int before = undoCount();
        doubleTap();
        ASSERT_TRUE(screenShown());
        platform::finishViewAnimations();
        screen()->textView()->setPlainText("changed");
        if (way == std::string("escape"))
            QTest::keyClick(screen()->textView(), Qt::Key_Escape);
        else if (way == std::string("cancel"))
            click("bubbleCancel");
        else
            editor->clearAllFrames();
        platform::finishViewAnimations();
        EXPECT_FALSE(screenShown());
        EXPECT_TRUE(director.isAnimating());
        EXPECT_EQ(bubble->text(), "Hi");
        if (way != std::string("clear all")) {
            EXPECT_EQ(undoCount(), before);
        }
    }
}

TEST_F(BubbleEditTest, ABubbleScreenThatCannotBePresentedLeavesTheStageDrawing) {
    // Another screen is in front (the stage's double tap reaches it through the dispatcher).
    platform::ViewController other;
    editor->presentModalViewController(&other, false);
    CCDirector& director = CCDirector::sharedDirector();
    director.startAnimation();
    for (int n = 1; n <= 2; ++n) {
        auto t = std::make_shared<Touch>(Point(240, 160), n);
        TouchSet set{t};
        TouchEvent event(set);
        CCTouchDispatcher::sharedDispatcher().touchesBegan(set, &event);
        t->setPhase(TouchPhase::Ended);
        CCTouchDispatcher::sharedDispatcher().touchesEnded(set, &event);
    }
    EXPECT_EQ(screen(), nullptr);
    EXPECT_TRUE(director.isAnimating());
    editor->dismissModalViewControllerAnimated(false);
}

} // namespace
