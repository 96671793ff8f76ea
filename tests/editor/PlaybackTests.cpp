#include "EditorFixture.h"
#include "editor/SpeedSlider.h"
#include "items/BoundingSprite.h"

#include "platform/widgets/ViewAnimation.h"

#include <QAbstractButton>
#include <QCoreApplication>
#include <QElapsedTimer>

namespace {

class PlaybackTest : public EditorTest {
protected:
    // Three frames with one sound each: "Boing", "Kiss", "Zip".
    void makeThreeFrames() {
        frame(0).addSound(sound("Boing"));
        gvc->snap(nullptr);
        frame(1).addSound(sound("Kiss"));
        gvc->snap(nullptr);
        frame(2).addSound(sound("Zip"));
        takePlayed();
    }
    bool controlsShown() const {
        return gvc->toolbar()->isVisibleTo(gvc->view()) &&
               gvc->cameraButton()->isVisibleTo(gvc->view());
    }
};

TEST_F(PlaybackTest, FromFrameZeroOfThree) {
    makeThreeFrames();
    gvc->setCurrentFrameAtIndex(0);
    gvc->play();
    EXPECT_TRUE(gvc->isPlaying());
    EXPECT_FALSE(controlsShown());
    EXPECT_FALSE(gvc->shadowLayer()->visible());
    EXPECT_EQ(takePlayed(), QStringList{"Boing.aif"});
    gvc->playStep();
    EXPECT_EQ(gvc->currentFrameIndex(), 1);
    EXPECT_EQ(takePlayed(), QStringList{"Kiss.aif"});
    gvc->playStep();
    EXPECT_EQ(gvc->currentFrameIndex(), 2);
    EXPECT_EQ(takePlayed(), QStringList{"Zip.aif"});
    EXPECT_TRUE(gvc->isPlaying());
    gvc->playStep();
    EXPECT_FALSE(gvc->isPlaying());
    EXPECT_EQ(gvc->playTimer(), nullptr);
    EXPECT_EQ(gvc->currentFrameIndex(), 2);
    EXPECT_TRUE(controlsShown());
    EXPECT_FALSE(gvc->shadowLayer()->visible());
    EXPECT_TRUE(takePlayed().isEmpty());
}

TEST_F(PlaybackTest, FromTheLastFrameStartsAgainAtZero) {
    makeThreeFrames();
    gvc->play();
    EXPECT_EQ(gvc->currentFrameIndex(), -1);
    EXPECT_EQ(gvc->currentFrame(), &frame(2)); // still shown until the first tick
    EXPECT_TRUE(takePlayed().isEmpty());
    gvc->playStep();
    EXPECT_EQ(gvc->currentFrameIndex(), 0);
    EXPECT_EQ(takePlayed(), QStringList{"Boing.aif"});
    gvc->playStep();
    gvc->playStep();
    EXPECT_EQ(takePlayed(), (QStringList{"Kiss.aif", "Zip.aif"}));
    gvc->playStep();
    EXPECT_FALSE(gvc->isPlaying());
}

TEST_F(PlaybackTest, FromFrameOne) {
    makeThreeFrames();
    gvc->setCurrentFrameAtIndex(1);
    gvc->play();
    EXPECT_TRUE(takePlayed().isEmpty());
    gvc->playStep();
    EXPECT_EQ(gvc->currentFrameIndex(), 2);
    gvc->playStep();
    EXPECT_FALSE(gvc->isPlaying());
}

TEST_F(PlaybackTest, OneFrameAnimation) {
    frame(0).addSound(sound("Kiss"));
    gvc->play();
    EXPECT_EQ(takePlayed(), QStringList{"Kiss.aif"});
    EXPECT_EQ(gvc->currentFrameIndex(), -1);
    gvc->playStep();
    EXPECT_EQ(gvc->currentFrameIndex(), 0);
    EXPECT_EQ(takePlayed(), QStringList{"Kiss.aif"});
    gvc->playStep();
    EXPECT_FALSE(gvc->isPlaying());
}

TEST_F(PlaybackTest, StoppingRightAfterStartingAtTheLastFrame) {
    makeThreeFrames();
    gvc->play();
    gvc->playPause(gvc->pauseButton());
    EXPECT_FALSE(gvc->isPlaying());
    EXPECT_EQ(gvc->playTimer(), nullptr);
    EXPECT_TRUE(controlsShown());
    EXPECT_EQ(gvc->currentFrameIndex(), -1);
    gvc->nextFrame(nullptr);
    EXPECT_EQ(gvc->currentFrameIndex(), 0);
    EXPECT_EQ(gvc->currentFrame(), &frame(0));
}

TEST_F(PlaybackTest, PeriodFollowsTheSpeedAndAChangeRestarts) {
    makeThreeFrames();
    gvc->setCurrentFrameAtIndex(0);
    gvc->play();
    ASSERT_NE(gvc->playTimer(), nullptr);
    EXPECT_DOUBLE_EQ(gvc->playTimer()->timeInterval(), 1.0 / 6);
    EXPECT_TRUE(gvc->playTimer()->repeats());
    takePlayed();
    auto* slider = gvc->animationSpeedSlider();
    EXPECT_DOUBLE_EQ(slider->minimumValue(), 0.25);
    EXPECT_DOUBLE_EQ(slider->maximumValue(), 4);
    slider->setDoubleValue(2.0);
    gvc->animationSpeedValueChanged(slider);
    EXPECT_TRUE(gvc->isPlaying());
    EXPECT_DOUBLE_EQ(gvc->playTimer()->timeInterval(), 1.0 / 12);
    // A restart at frame 0 plays its sounds again.
    EXPECT_EQ(takePlayed(), QStringList{"Boing.aif"});
    slider->setDoubleValue(0.5);
    gvc->animationSpeedValueChanged(slider);
    EXPECT_DOUBLE_EQ(gvc->playTimer()->timeInterval(), 1.0 / 3);
    gvc->stop();
    // Not playing: a change waits for the next start.
    slider->setDoubleValue(0);
    EXPECT_DOUBLE_EQ(slider->doubleValue(), 0.25);
    gvc->animationSpeedValueChanged(slider);
    EXPECT_FALSE(gvc->isPlaying());
}

TEST_F(PlaybackTest, TheTimerDrivesPlaybackToTheEnd) {
    makeThreeFrames();
    gvc->animationSpeedSlider()->setDoubleValue(4.0);
    gvc->setCurrentFrameAtIndex(0);
    gvc->play();
    QElapsedTimer t;
    t.start();
    while (gvc->isPlaying() && t.elapsed() < 5000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    EXPECT_FALSE(gvc->isPlaying());
    EXPECT_EQ(gvc->currentFrameIndex(), 2);
    EXPECT_EQ(takePlayed(), (QStringList{"Boing.aif", "Kiss.aif", "Zip.aif"}));
}

TEST_F(PlaybackTest, SpeedPanelSlidesInAndOut) {
    QWidget* panel = gvc->animationSpeedView();
    const QRect toolbar = platform::viewFrame(gvc->toolbar());
    EXPECT_EQ(platform::viewFrame(panel).top(), toolbar.top());
    EXPECT_DOUBLE_EQ(platform::viewCenter(panel).x(), -panel->width());
    gvc->toggleAnimationSpeedView(nullptr);
    EXPECT_TRUE(gvc->animationSpeedViewVisible());
    EXPECT_EQ(platform::viewFrame(panel).left(), 0);
    gvc->toggleAnimationSpeedView(nullptr);
    EXPECT_FALSE(gvc->animationSpeedViewVisible());
    EXPECT_EQ(platform::viewFrame(panel).right(), -1);
}

TEST_F(PlaybackTest, FlashCoversTheScreenAndFades) {
    gvc->snap(gvc->cameraButton());
    EXPECT_EQ(gvc->flashView()->geometry(), QRect(0, 0, 480, 320));
    EXPECT_DOUBLE_EQ(platform::viewAlpha(gvc->flashView()), 0.0);
    EXPECT_TRUE(gvc->shadowLayer()->visible());
}

} // namespace
