// Playback, the speed panel, the onion skin and the snapshot flash.
#include "editor/GameViewController.h"
#include "editor/SpeedSlider.h"
#include "platform/widgets/ViewAnimation.h"

void GameViewController::play() {
    if (shotInProgress())
        return;
    frameLayer_->frameSwitched();
    toolbar_->setVisible(false);
    cameraButton()->setVisible(false);
    if (animation_.currentFrameIndex() == 0 && animation_.currentFrame())
        animation_.currentFrame()->playSounds();
    shadowLayer_->setVisible(false);
    if (animation_.currentFrameIndex() + 1 == animation_.frameCount())
        animation_.setCurrentFrameIndexOnly(-1);
    const double period = 1.0 / (animationSpeedSlider_->doubleValue() * 6.0);
    playTimer_ =
        platform::Timer::scheduledTimer(period, true, [this](platform::Timer&) { playStep(); });
    isPlaying_ = true;
    actions_.setLook(EditorActions::Play, QStringLiteral("Pause"),
                     QStringLiteral("icon-pause.png"));
    actions_.refreshEnabled();
}

void GameViewController::playStep() {
    // As unsigned, an index of -1 comes before frame 0.
    if (unsigned(animation_.currentFrameIndex() + 1) < unsigned(animation_.frameCount())) {
        nextFrame(nullptr);
        return;
    }
    stop();
}

void GameViewController::stop() {
    toolbar_->setVisible(true);
    cameraButton()->setVisible(true);
    if (playTimer_)
        playTimer_->invalidate();
    playTimer_.reset();
    isPlaying_ = false;
    actions_.setLook(EditorActions::Play, QStringLiteral("Play"), QStringLiteral("icon-play.png"));
    actions_.refreshEnabled();
}

void GameViewController::playPause(QObject*) {
    if (isPlaying_)
        stop();
    else
        play();
}

void GameViewController::animationSpeedValueChanged(QObject*) {
    if (!isPlaying_)
        return;
    stop();
    play();
}

void GameViewController::toggleAnimationSpeedView(QObject*) {
    if (animationSpeedViewVisible_)
        hideAnimationSpeedView();
    else
        showAnimationSpeedView();
}

void GameViewController::showAnimationSpeedView() {
    const QPointF c = platform::viewCenter(animationSpeedView_);
    animationSpeedView_->raise();
    platform::animateViewCenter(animationSpeedView_,
                                QPointF(animationSpeedView_->width() * 0.5, c.y()), 0.2);
    animationSpeedViewVisible_ = true;
}

void GameViewController::hideAnimationSpeedView() {
    const QPointF c = platform::viewCenter(animationSpeedView_);
    platform::animateViewCenter(animationSpeedView_,
                                QPointF(-animationSpeedView_->width() * 0.5, c.y()), 0.2);
    animationSpeedViewVisible_ = false;
}

void GameViewController::setupShadow() {
    presenter_->setupShadow();
}

void GameViewController::flash() {
    QWidget* v = view();
    flashView_->raise();
    platform::setViewFrame(flashView_, QRect(0, 0, v->width(), v->height()));
    platform::setViewAlpha(flashView_, 1.0);
    platform::animateViewAlpha(flashView_, 0.0, platform::kDefaultAnimationDuration);
}
