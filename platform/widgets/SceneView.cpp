#include "SceneView.h"

#include "engine/CCTouchDispatcher.h"

#include <QApplication>
#include <QMouseEvent>
#include <QPainter>
#include <QTouchEvent>

#include <cmath>

namespace {
// How far apart two taps may land and still count as one multiple tap, in points.
constexpr float kTapSlop = 12;
} // namespace

SceneView::SceneView(QWidget* parent, Size pointSize) : QWidget(parent), size_(pointSize) {
    setFixedSize(int(pointSize.width), int(pointSize.height));
    setAttribute(Qt::WA_AcceptTouchEvents);
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMouseTracking(false);
}

SceneView::~SceneView() {
    if (CCDirector::sharedDirector().openGLView() == this)
        CCDirector::sharedDirector().setOpenGLView(nullptr);
}

QSize SceneView::sizeHint() const {
    return QSize(int(size_.width), int(size_.height));
}

void SceneView::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.fillRect(rect(), Qt::black);
    CCDirector::sharedDirector().drawScene(p, 1.0);
}

int SceneView::nextTapCount(Point p) {
    const bool quick =
        lastTap_.isValid() && lastTap_.elapsed() <= QApplication::doubleClickInterval();
    const bool near = std::hypot(p.x - lastTapPoint_.x, p.y - lastTapPoint_.y) <= kTapSlop;
    lastTapCount_ = (quick && near) ? lastTapCount_ + 1 : 1;
    lastTap_.start();
    lastTapPoint_ = p;
    return lastTapCount_;
}

Point SceneView::secondFinger(Point first) const {
    if (parallel_) {
        const float dx =
            first.x + kParallelOffset <= size_.width ? kParallelOffset : -kParallelOffset;
        return Point(first.x + dx, first.y);
    }
    return Point(size_.width - first.x, size_.height - first.y);
}

TouchEvent SceneView::currentEvent() const {
    TouchSet all;
    if (mouseTouch_)
        all.add(mouseTouch_);
    if (mirrorTouch_)
        all.add(mirrorTouch_);
    for (const auto& t : screenTouches_)
        all.add(t);
    return TouchEvent(all);
}

void SceneView::mouseDown(QMouseEvent* e) {
    if (e->button() != Qt::LeftButton || mouseTouch_)
        return;
    const Point p(float(e->position().x()), float(e->position().y()));
    const int taps = nextTapCount(p);
    mouseTouch_ = std::make_shared<Touch>(p, taps, this);
    TouchSet began{mouseTouch_};
    if (e->modifiers() & Qt::AltModifier) {
        parallel_ = (e->modifiers() & Qt::ShiftModifier) != 0;
        mirrorTouch_ = std::make_shared<Touch>(secondFinger(p), taps, this);
        began.add(mirrorTouch_);
    }
    TouchEvent ev = currentEvent();
    CCTouchDispatcher::sharedDispatcher().touchesBegan(began, &ev);
}

void SceneView::mousePressEvent(QMouseEvent* e) {
    mouseDown(e);
}

void SceneView::mouseDoubleClickEvent(QMouseEvent* e) {
    // Qt sends this instead of the second press.
    mouseDown(e);
}

void SceneView::mouseMoveEvent(QMouseEvent* e) {
    if (!mouseTouch_)
        return;
    const Point p(float(e->position().x()), float(e->position().y()));
    mouseTouch_->moveTo(p);
    mouseTouch_->setPhase(TouchPhase::Moved);
    TouchSet moved{mouseTouch_};
    if (mirrorTouch_) {
        mirrorTouch_->moveTo(secondFinger(p));
        mirrorTouch_->setPhase(TouchPhase::Moved);
        moved.add(mirrorTouch_);
    }
    TouchEvent ev = currentEvent();
    CCTouchDispatcher::sharedDispatcher().touchesMoved(moved, &ev);
}

void SceneView::mouseReleaseEvent(QMouseEvent* e) {
    if (e->button() != Qt::LeftButton || !mouseTouch_)
        return;
    const Point p(float(e->position().x()), float(e->position().y()));
    if (!(p == mouseTouch_->locationInView()))
        mouseTouch_->moveTo(p);
    mouseTouch_->setPhase(TouchPhase::Ended);
    TouchSet ended{mouseTouch_};
    if (mirrorTouch_) {
        mirrorTouch_->setPhase(TouchPhase::Ended);
        ended.add(mirrorTouch_);
    }
    TouchEvent ev = currentEvent();
    mouseTouch_.reset();
    mirrorTouch_.reset();
    CCTouchDispatcher::sharedDispatcher().touchesEnded(ended, &ev);
}

bool SceneView::event(QEvent* e) {
    switch (e->type()) {
    case QEvent::TouchBegin:
    case QEvent::TouchUpdate:
    case QEvent::TouchEnd:
    case QEvent::TouchCancel: {
        auto* te = static_cast<QTouchEvent*>(e);
        TouchSet began, moved, ended, cancelled;
        for (const QEventPoint& pt : te->points()) {
            const Point p(float(pt.position().x()), float(pt.position().y()));
            TouchPtr t = screenTouches_.value(pt.id());
            if (e->type() == QEvent::TouchCancel) {
                if (t) {
                    t->setPhase(TouchPhase::Cancelled);
                    cancelled.add(t);
                }
                continue;
            }
            switch (pt.state()) {
            case QEventPoint::Pressed:
                t = std::make_shared<Touch>(p, nextTapCount(p), this);
                screenTouches_.insert(pt.id(), t);
                began.add(t);
                break;
            case QEventPoint::Updated:
                if (t) {
                    t->moveTo(p);
                    t->setPhase(TouchPhase::Moved);
                    moved.add(t);
                }
                break;
            case QEventPoint::Released:
                if (t) {
                    if (!(p == t->locationInView()))
                        t->moveTo(p);
                    t->setPhase(TouchPhase::Ended);
                    ended.add(t);
                }
                break;
            default:
                break;
            }
        }
        TouchEvent ev = currentEvent();
        auto& d = CCTouchDispatcher::sharedDispatcher();
        if (!began.empty())
            d.touchesBegan(began, &ev);
        if (!moved.empty())
            d.touchesMoved(moved, &ev);
        for (const auto& t : ended)
            screenTouches_.remove(screenTouches_.key(t));
        for (const auto& t : cancelled)
            screenTouches_.remove(screenTouches_.key(t));
        if (!ended.empty())
            d.touchesEnded(ended, &ev);
        if (!cancelled.empty())
            d.touchesCancelled(cancelled, &ev);
        e->accept();
        return true;
    }
    default:
        return QWidget::event(e);
    }
}

void SceneView::cancelAll() {
    TouchSet cancelled;
    if (mouseTouch_)
        cancelled.add(mouseTouch_);
    if (mirrorTouch_)
        cancelled.add(mirrorTouch_);
    for (const auto& t : screenTouches_)
        cancelled.add(t);
    if (cancelled.empty())
        return;
    for (const auto& t : cancelled)
        t->setPhase(TouchPhase::Cancelled);
    TouchEvent ev = currentEvent();
    mouseTouch_.reset();
    mirrorTouch_.reset();
    screenTouches_.clear();
    CCTouchDispatcher::sharedDispatcher().touchesCancelled(cancelled, &ev);
}

void SceneView::hideEvent(QHideEvent* e) {
    // Fingers on a view that goes away never lift: tell the receivers they are gone.
    cancelAll();
    QWidget::hideEvent(e);
}
