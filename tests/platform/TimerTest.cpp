#include "platform/Timer.h"
#include "platform/RunLoop.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QThread>

#include <functional>

using platform::Timer;

namespace {

// Pumps the event loop until done() or a generous deadline; never a timing assertion.
bool pumpUntil(const std::function<bool()>& done, int timeoutMs = 10000) {
    QElapsedTimer clock;
    clock.start();
    while (!done()) {
        if (clock.elapsed() > timeoutMs)
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        QThread::msleep(1);
    }
    return true;
}

void pumpFor(int ms) {
    pumpUntil([] { return false; }, ms);
}

} // namespace

TEST(Timer, OneShotFiresOnceAndIsReleasedAfterwards) {
    int fired = 0;
    bool validDuringCallback = false;
    std::weak_ptr<Timer> weak;
    {
        auto timer = Timer::scheduledTimer(0.01, false, [&](Timer& t) {
            ++fired;
            validDuringCallback = t.isValid();
        });
        EXPECT_DOUBLE_EQ(timer->timeInterval(), 0.01);
        EXPECT_FALSE(timer->repeats());
        EXPECT_TRUE(timer->isValid());
        weak = timer;
    }
    // The caller dropped its reference: the platform keeps the scheduled timer.
    ASSERT_FALSE(weak.expired());
    ASSERT_TRUE(pumpUntil([&] { return fired > 0; }));
    pumpFor(60);
    EXPECT_EQ(fired, 1);
    EXPECT_TRUE(validDuringCallback);
    // Invalid after firing, and no longer held by the platform.
    EXPECT_TRUE(weak.expired());
}

TEST(Timer, OneShotIsInvalidAfterFiringWhileTheCallerHoldsIt) {
    int fired = 0;
    auto timer = Timer::scheduledTimer(0, false, [&](Timer&) { ++fired; });
    ASSERT_TRUE(pumpUntil([&] { return fired > 0; }));
    EXPECT_FALSE(timer->isValid());
    timer->fire(); // an invalid timer does nothing
    EXPECT_EQ(fired, 1);
}

TEST(Timer, RepeatingFiresUntilInvalidated) {
    int fired = 0;
    auto timer = Timer::scheduledTimer(0.005, true, [&](Timer&) { ++fired; });
    EXPECT_TRUE(timer->repeats());
    ASSERT_TRUE(pumpUntil([&] { return fired >= 3; }));
    EXPECT_TRUE(timer->isValid());
    timer->invalidate();
    timer->invalidate();
    EXPECT_FALSE(timer->isValid());
    const int afterInvalidate = fired;
    pumpFor(60);
    EXPECT_EQ(fired, afterInvalidate);
}

TEST(Timer, RepeatingInvalidatedFromItsOwnCallbackWithoutAnOwner) {
    int fired = 0;
    std::weak_ptr<Timer> weak = Timer::scheduledTimer(0.001, true, [&](Timer& t) {
        if (++fired == 2) {
            t.invalidate(); // drops the platform's (last) reference while the callback runs
            t.invalidate();
            EXPECT_FALSE(t.isValid());
        }
    });
    ASSERT_TRUE(pumpUntil([&] { return fired >= 2; }));
    pumpFor(60);
    EXPECT_EQ(fired, 2);
    EXPECT_TRUE(weak.expired());
}

TEST(Timer, FireRunsTheCallbackNow) {
    int oneShotFired = 0;
    auto oneShot = Timer::scheduledTimer(1000, false, [&](Timer&) { ++oneShotFired; });
    oneShot->fire();
    EXPECT_EQ(oneShotFired, 1);
    EXPECT_FALSE(oneShot->isValid());

    int repeatingFired = 0;
    auto repeating = Timer::scheduledTimer(1000, true, [&](Timer&) { ++repeatingFired; });
    repeating->fire();
    repeating->fire();
    EXPECT_EQ(repeatingFired, 2);
    EXPECT_TRUE(repeating->isValid());
    repeating->invalidate();
    repeating->fire();
    EXPECT_EQ(repeatingFired, 2);
}

TEST(Timer, CallbackPumpingTheLoopIsNotReentered) {
    // Saving pumps the event loop from inside the automatic-save timer's callback.
    int depth = 0;
    int maxDepth = 0;
    int fired = 0;
    auto timer = Timer::scheduledTimer(0, true, [&](Timer&) {
        ++fired;
        maxDepth = std::max(maxDepth, ++depth);
        platform::runLoopOnce();
        --depth;
    });
    ASSERT_TRUE(pumpUntil([&] { return fired >= 3; }));
    timer->invalidate();
    EXPECT_EQ(maxDepth, 1);

    int oneShotFired = 0;
    auto oneShot = Timer::scheduledTimer(0, false, [&](Timer&) {
        ++oneShotFired;
        platform::runLoopOnce();
    });
    ASSERT_TRUE(pumpUntil([&] { return !oneShot->isValid(); }));
    EXPECT_EQ(oneShotFired, 1);
}

TEST(RunLoop, RunsDueWorkAndReturns) {
    int fired = 0;
    auto timer = Timer::scheduledTimer(0, false, [&](Timer&) { ++fired; });
    bool posted = false;
    QMetaObject::invokeMethod(
        QCoreApplication::instance(), [&] { posted = true; }, Qt::QueuedConnection);
    EXPECT_TRUE(platform::runLoopOnce());
    EXPECT_EQ(fired, 1);
    EXPECT_TRUE(posted);
    EXPECT_FALSE(timer->isValid());

    // A zero-interval repeating timer is always due; the pump still returns.
    int spins = 0;
    auto busy = Timer::scheduledTimer(0, true, [&](Timer&) { ++spins; });
    EXPECT_TRUE(platform::runLoopOnce());
    EXPECT_GT(spins, 0);
    busy->invalidate();
}
