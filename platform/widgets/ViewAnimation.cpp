#include "platform/widgets/ViewAnimation.h"

#include <QGraphicsOpacityEffect>
#include <QPointer>
#include <QPropertyAnimation>
#include <QWidget>

#include <cmath>
#include <vector>

namespace platform {

namespace {

// Running animations, so a new one of the same property replaces the old and tests can finish
// them at once.
std::vector<QPointer<QPropertyAnimation>>& running() {
    static std::vector<QPointer<QPropertyAnimation>> list;
    return list;
}

void start(QObject* target, const QByteArray& property, const QVariant& to, double seconds,
           std::function<void()> done = {}) {
    auto& list = running();
    std::erase_if(list, [&](const QPointer<QPropertyAnimation>& a) {
        if (!a)
            return true;
        if (a->targetObject() == target && a->propertyName() == property) {
            a->stop();
            a->deleteLater();
            return true;
        }
        return false;
    });
    const QVariant from = target->property(property.constData());
    auto* anim = new QPropertyAnimation(target, property);
    anim->setDuration(int(seconds * 1000));
    anim->setStartValue(from);
    anim->setEndValue(to);
    anim->setEasingCurve(QEasingCurve::InOutQuad);
    list.emplace_back(anim);
    if (done)
        QObject::connect(anim, &QAbstractAnimation::finished, std::move(done));
    anim->start(QAbstractAnimation::DeleteWhenStopped);
}

QGraphicsOpacityEffect* opacityEffect(QWidget* w) {
    auto* e = qobject_cast<QGraphicsOpacityEffect*>(w->graphicsEffect());
    if (!e) {
        e = new QGraphicsOpacityEffect(w);
        e->setOpacity(1);
        w->setGraphicsEffect(e);
    }
    return e;
}

// The targets of a widget's animations, which are reported at once.
const char* const kAlphaProperty = "kelvoraAlpha";
const char* const kFrameProperty = "kelvoraFrame";

} // namespace

double viewAlpha(const QWidget* w) {
    const QVariant v = w->property(kAlphaProperty);
    return v.isValid() ? v.toDouble() : 1.0;
}

void setViewAlpha(QWidget* w, double alpha) {
    w->setProperty(kAlphaProperty, alpha);
    auto* e = opacityEffect(w);
    start(e, "opacity", alpha, 0);
    e->setOpacity(alpha);
}

void animateViewAlpha(QWidget* w, double alpha, double seconds) {
    w->setProperty(kAlphaProperty, alpha);
    start(opacityEffect(w), "opacity", alpha, seconds);
}

void animateViewGeometry(QWidget* w, const QRect& target, double seconds,
                         std::function<void()> done) {
    w->setProperty(kFrameProperty, target);
    start(w, "geometry", target, seconds, std::move(done));
}

QRect viewFrame(const QWidget* w) {
    const QVariant v = w->property(kFrameProperty);
    return v.isValid() ? v.toRect() : w->geometry();
}

void setViewFrame(QWidget* w, const QRect& frame) {
    w->setProperty(kFrameProperty, frame);
    start(w, "geometry", frame, 0);
    w->setGeometry(frame);
}

static QRect centredAt(QRect r, QPointF centre) {
    r.moveTopLeft(QPoint(int(std::lround(centre.x() - r.width() / 2.0)),
                         int(std::lround(centre.y() - r.height() / 2.0))));
    return r;
}

void animateViewCenter(QWidget* w, QPointF centre, double seconds) {
    animateViewGeometry(w, centredAt(viewFrame(w), centre), seconds);
}

void setViewCenter(QWidget* w, QPointF centre) {
    setViewFrame(w, centredAt(viewFrame(w), centre));
}

QPointF viewCenter(const QWidget* w) {
    const QRect r = viewFrame(w);
    return QPointF(r.x() + r.width() / 2.0, r.y() + r.height() / 2.0);
}

void finishViewAnimations() {
    auto list = running();
    running().clear();
    // Reaching the end stops an animation and reports it finished.
    for (auto& a : list)
        if (a && a->state() == QAbstractAnimation::Running)
            a->setCurrentTime(a->duration());
}

} // namespace platform
