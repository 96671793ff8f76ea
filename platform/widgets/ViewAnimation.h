#pragma once

#include <QPointF>

#include <QRect>
#include <functional>

class QWidget;

namespace platform {

// The duration of an animation block when none is given.
inline constexpr double kDefaultAnimationDuration = 0.2;

// A widget's alpha (0 transparent .. 1 opaque), kept in an opacity effect.
double viewAlpha(const QWidget* w);
void setViewAlpha(QWidget* w, double alpha);

// Animated changes, like the phone's view animation blocks: the new value is the widget's state
// from now on (reading it back gives the target at once), the screen catches up over
// `seconds`. A new animation of the same property replaces a running one.
void animateViewAlpha(QWidget* w, double alpha, double seconds = kDefaultAnimationDuration);
// `done` runs when the animation reaches its end (not when another one replaces it).
void animateViewGeometry(QWidget* w, const QRect& target,
                         double seconds = kDefaultAnimationDuration,
                         std::function<void()> done = {});
// The widget's frame as last set or animated to (its target while an animation runs).
QRect viewFrame(const QWidget* w);
void setViewFrame(QWidget* w, const QRect& frame);
// Moves the widget so its centre is at `centre` (in the parent's coordinates).
// The centre is the frame's origin plus half its size.
void animateViewCenter(QWidget* w, QPointF centre, double seconds = kDefaultAnimationDuration);
void setViewCenter(QWidget* w, QPointF centre);
QPointF viewCenter(const QWidget* w);

// Ends every running view animation at its target (tests, and before tearing screens down).
void finishViewAnimations();

} // namespace platform
