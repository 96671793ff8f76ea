#pragma once

#include "base/Types.h"
#include "engine/CCScene.h"

#include <QElapsedTimer>
#include <QImage>

#include <memory>

class QPainter;
class QTimer;

// What the director draws on: a view of a fixed size in points.
class CCDrawingSurface {
public:
    virtual ~CCDrawingSurface() = default;
    virtual Size surfaceSize() const = 0;       // points
    virtual qreal devicePixelRatio() const = 0; // device pixels per point
    virtual void setNeedsDisplay() = 0;         // ask for a redraw (drawScene) soon
};

enum ccDeviceOrientation {
    kCCDeviceOrientationPortrait = 1,
    kCCDeviceOrientationPortraitUpsideDown = 2,
    kCCDeviceOrientationLandscapeLeft = 3,
    kCCDeviceOrientationLandscapeRight = 4,
};

// Runs one scene: advances the scheduler by the elapsed time and redraws the scene every
// animation interval while animating.
class CCDirector {
public:
    static CCDirector& sharedDirector();

    // The running scene's size in points.
    Size winSize() const;
    Size winSizeInPixels() const;
    // A view point (origin top-left) to a scene point, following the device orientation.
    Point convertToGL(Point viewPoint) const;
    Point convertToUI(Point glPoint) const;
    // (x, window height − y), whatever the orientation.
    Point convertToGLStick(Point viewPoint) const;

    void runWithScene(const std::shared_ptr<CCScene>& scene);
    void replaceScene(const std::shared_ptr<CCScene>& scene);
    CCScene* runningScene() const { return runningScene_.get(); }
    // Stops animating and lets go of the running scene (its nodes leave and are cleaned up).
    void end();

    void pause();
    void resume();
    bool isPaused() const { return paused_; }
    void startAnimation();
    void stopAnimation();
    bool isAnimating() const;
    void setAnimationInterval(double seconds);
    double animationInterval() const { return animationInterval_; }
    void setDisplayFPS(bool v) { displayFPS_ = v; }
    bool displayFPS() const { return displayFPS_; }
    void setDeviceOrientation(int orientation) { deviceOrientation_ = orientation; }
    int deviceOrientation() const { return deviceOrientation_; }
    void setNextDeltaTimeZero(bool v) { nextDeltaTimeZero_ = v; }
    bool nextDeltaTimeZero() const { return nextDeltaTimeZero_; }

    void setOpenGLView(CCDrawingSurface* view);
    CCDrawingSurface* openGLView() const { return view_; }
    // Uses the surface's pixel ratio (2 on the default window) when asked to; false when the
    // surface has no high-resolution pixels.
    bool enableRetinaDisplay(bool enabled);
    float contentScaleFactor() const { return contentScaleFactor_; }
    void setContentScaleFactor(float f);

    // One display frame: step the scheduler by dt (unless paused) and ask for a redraw.
    void mainLoop(ccTime dt);
    // Draws the running scene with the painter, `scale` device units per point.
    void drawScene(QPainter& painter, qreal scale);
    // The running scene drawn into a picture of the given pixel size (transparent background).
    QImage renderToImage(QSize pixels);

private:
    CCDirector();
    void timerFired();

    std::shared_ptr<CCScene> runningScene_;
    CCDrawingSurface* view_ = nullptr;
    std::unique_ptr<QTimer> timer_;
    QElapsedTimer clock_;
    double animationInterval_ = 1.0 / 60;
    bool paused_ = false;
    bool displayFPS_ = false;
    bool nextDeltaTimeZero_ = false;
    int deviceOrientation_ = kCCDeviceOrientationPortrait;
    float contentScaleFactor_ = 1;
    // Frame rate display.
    int frames_ = 0;
    ccTime accumDt_ = 0;
    float frameRate_ = 0;
};

class Director : public CCDirector {};
