#include "platform/RunLoop.h"

#include <QAbstractEventDispatcher>
#include <QElapsedTimer>
#include <QEventLoop>

namespace platform {

namespace {
// Enough passes for a burst of posted events; little enough that a busy loop returns quickly.
constexpr int kMaxPasses = 100;
constexpr qint64 kMaxMilliseconds = 50;
} // namespace

bool runLoopOnce() {
    QAbstractEventDispatcher* dispatcher = QAbstractEventDispatcher::instance();
    if (!dispatcher)
        return false;
    QElapsedTimer clock;
    clock.start();
    bool handled = false;
    for (int pass = 0; pass < kMaxPasses; ++pass) {
        if (!dispatcher->processEvents(QEventLoop::AllEvents))
            break;
        handled = true;
        if (clock.elapsed() >= kMaxMilliseconds)
            break;
    }
    return handled;
}

} // namespace platform
