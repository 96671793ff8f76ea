#pragma once

#include "base/Screen.h"
#include "engine/CCDirector.h"
#include "engine/CCTouch.h"

#include <QElapsedTimer>
#include <QHash>
#include <QWidget>

// The widget the director draws on. It turns mouse and touch-screen input into touches for the
// touch dispatcher: the mouse is one finger, quick clicks close together raise the tap count;
// Alt adds a second finger mirrored around the centre (pinch), Alt+Shift one that moves in
// parallel (two-finger pan).
class SceneView : public QWidget, public CCDrawingSurface {
public:
    explicit SceneView(QWidget* parent = nullptr,
                       Size pointSize = Size(kScreenWidth, kScreenHeight));
    ~SceneView() override;

    Size surfaceSize() const override { return size_; }
    qreal devicePixelRatio() const override { return devicePixelRatioF(); }
    void setNeedsDisplay() override { update(); }

    QSize sizeHint() const override;

    // Distance of the parallel second finger from the first, in points.
    static constexpr float kParallelOffset = 60;

protected:
    void paintEvent(QPaintEvent*) override;
    void mousePressEvent(QMouseEvent*) override;
    void mouseDoubleClickEvent(QMouseEvent*) override;
    void mouseMoveEvent(QMouseEvent*) override;
    void mouseReleaseEvent(QMouseEvent*) override;
    bool event(QEvent*) override;
    void hideEvent(QHideEvent*) override;

private:
    void mouseDown(QMouseEvent* e);
    int nextTapCount(Point p);
    Point secondFinger(Point first) const;
    void cancelAll();
    TouchEvent currentEvent() const;

    Size size_;
    // Mouse fingers: the pointer and, with Alt, a second one.
    TouchPtr mouseTouch_;
    TouchPtr mirrorTouch_;
    bool parallel_ = false;
    // Touch-screen fingers by point id.
    QHash<int, TouchPtr> screenTouches_;
    // Tap counting.
    QElapsedTimer lastTap_;
    Point lastTapPoint_;
    int lastTapCount_ = 0;
};
