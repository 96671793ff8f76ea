#include "engine/CCDirector.h"

#include "base/Screen.h"
#include "engine/CCScheduler.h"
#include "engine/CCTextureCache.h"
#include "engine/Renderer.h"

#include <QPainter>
#include <QTimer>

CCDirector& CCDirector::sharedDirector() {
    // Never destroyed: scenes may still be alive when static destructors run.
    static auto* instance = new CCDirector;
    return *instance;
}

CCDirector::CCDirector() = default;

Size CCDirector::winSize() const {
    const Size s = view_ ? view_->surfaceSize() : Size(kScreenWidth, kScreenHeight);
    if (deviceOrientation_ == kCCDeviceOrientationLandscapeLeft ||
        deviceOrientation_ == kCCDeviceOrientationLandscapeRight)
        return Size(s.height, s.width);
    return s;
}

Size CCDirector::winSizeInPixels() const {
    const Size s = winSize();
    return Size(s.width * contentScaleFactor_, s.height * contentScaleFactor_);
}

Point CCDirector::convertToGL(Point p) const {
    const Size s = view_ ? view_->surfaceSize() : Size(kScreenWidth, kScreenHeight);
    switch (deviceOrientation_) {
    case kCCDeviceOrientationPortraitUpsideDown:
        return Point(s.width - p.x, p.y);
    case kCCDeviceOrientationLandscapeLeft:
        return Point(p.y, p.x);
    case kCCDeviceOrientationLandscapeRight:
        return Point(s.height - p.y, s.width - p.x);
    default:
        return Point(p.x, s.height - p.y);
    }
}

Point CCDirector::convertToUI(Point g) const {
    const Size s = view_ ? view_->surfaceSize() : Size(kScreenWidth, kScreenHeight);
    switch (deviceOrientation_) {
    case kCCDeviceOrientationPortraitUpsideDown:
        return Point(s.width - g.x, g.y);
    case kCCDeviceOrientationLandscapeLeft:
        return Point(g.y, g.x);
    case kCCDeviceOrientationLandscapeRight:
        return Point(s.width - g.y, s.height - g.x);
    default:
        return Point(g.x, s.height - g.y);
    }
}

Point CCDirector::convertToGLStick(Point p) const {
    return Point(p.x, winSize().height - p.y);
}

void CCDirector::runWithScene(const std::shared_ptr<CCScene>& scene) {
    replaceScene(scene);
    startAnimation();
}

void CCDirector::replaceScene(const std::shared_ptr<CCScene>& scene) {
    if (runningScene_ == scene)
        return;
    if (runningScene_) {
        auto old = runningScene_;
        runningScene_.reset();
        old->onExit();
        old->cleanup();
    }
    runningScene_ = scene;
    if (runningScene_) {
        runningScene_->onEnter();
        runningScene_->onEnterTransitionDidFinish();
    }
}

void CCDirector::end() {
    stopAnimation();
    replaceScene(nullptr);
}

void CCDirector::pause() {
    paused_ = true;
}

void CCDirector::resume() {
    if (!paused_)
        return;
    paused_ = false;
    // The time spent paused does not count as elapsed.
    nextDeltaTimeZero_ = true;
}

void CCDirector::startAnimation() {
    if (!timer_) {
        timer_ = std::make_unique<QTimer>();
        timer_->setTimerType(Qt::PreciseTimer);
        QObject::connect(timer_.get(), &QTimer::timeout, [this] { timerFired(); });
    }
    timer_->setInterval(std::max(1, int(animationInterval_ * 1000 + 0.5)));
    clock_.start();
    nextDeltaTimeZero_ = true;
    timer_->start();
}

void CCDirector::stopAnimation() {
    if (timer_)
        timer_->stop();
}

bool CCDirector::isAnimating() const {
    return timer_ && timer_->isActive();
}

void CCDirector::setAnimationInterval(double seconds) {
    animationInterval_ = seconds;
    if (isAnimating())
        startAnimation();
}

void CCDirector::setOpenGLView(CCDrawingSurface* view) {
    view_ = view;
}

bool CCDirector::enableRetinaDisplay(bool enabled) {
    if (!enabled) {
        setContentScaleFactor(1);
        return true;
    }
    if (!view_ || view_->devicePixelRatio() < 2)
        return false;
    setContentScaleFactor(2);
    return true;
}

void CCDirector::setContentScaleFactor(float f) {
    if (f == contentScaleFactor_)
        return;
    contentScaleFactor_ = f;
    // Pictures already loaded are at the old resolution.
    CCTextureCache::sharedTextureCache().removeAllTextures();
}

void CCDirector::timerFired() {
    ccTime dt = ccTime(clock_.nsecsElapsed() / 1e9);
    clock_.restart();
    if (nextDeltaTimeZero_) {
        dt = 0;
        nextDeltaTimeZero_ = false;
    }
    mainLoop(dt);
}

void CCDirector::mainLoop(ccTime dt) {
    if (paused_)
        return;
    CCScheduler::sharedScheduler().tick(dt);
    ++frames_;
    accumDt_ += dt;
    if (accumDt_ > 0.5f) {
        frameRate_ = float(frames_) / accumDt_;
        frames_ = 0;
        accumDt_ = 0;
    }
    if (view_)
        view_->setNeedsDisplay();
}

void CCDirector::drawScene(QPainter& painter, qreal scale) {
    const Size win = winSize();
    Renderer r(painter, win, scale);
    if (runningScene_)
        runningScene_->visit(r);
    if (displayFPS_) {
        painter.resetTransform();
        painter.setOpacity(1);
        painter.setPen(Qt::white);
        QFont f = painter.font();
        f.setPixelSize(int(14 * scale));
        painter.setFont(f);
        painter.drawText(QPointF(4 * scale, (win.height - 4) * scale),
                         QString::number(double(frameRate_), 'f', 1));
    }
}

QImage CCDirector::renderToImage(QSize pixels) {
    QImage image(pixels, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter p(&image);
    const Size win = winSize();
    drawScene(p, qreal(pixels.width()) / qreal(win.width));
    p.end();
    return image;
}
