#include "platform/Timer.h"

#include "platform/Log.h"

#include <QCoreApplication>
#include <QObject>
#include <QPointer>
#include <QThread>
#include <QTimerEvent>

#include <climits>
#include <cmath>
#include <unordered_map>
#include <utility>

namespace platform {

// Owns the scheduled timers and receives their Qt timer events. It lives in the main thread as a
// child of the application object, so the timers still scheduled when the application goes away
// are released with it.
struct Timer::Private {
    class Host : public QObject {
    public:
        explicit Host(QObject* parent) : QObject(parent) {}

        ~Host() override {
            auto timers = std::move(m_timers);
            m_timers.clear();
            m_byId.clear();
            for (auto& entry : timers) {
                entry.second->m_valid = false;
                entry.second->m_timerId = 0;
            }
        }

        void schedule(std::shared_ptr<Timer> timer, int ms) {
            timer->m_timerId = startTimer(ms, Qt::PreciseTimer);
            if (timer->m_timerId)
                m_byId.emplace(timer->m_timerId, timer.get());
            else
                qCWarning(lcKelvora, "Could not start a timer of %d ms", ms);
            Timer* key = timer.get();
            m_timers.emplace(key, std::move(timer));
        }

        void stop(Timer& timer) {
            if (!timer.m_timerId)
                return;
            killTimer(timer.m_timerId);
            m_byId.erase(timer.m_timerId);
            timer.m_timerId = 0;
        }

        // The platform's reference to timer; the caller lets it go out of scope.
        std::shared_ptr<Timer> release(Timer& timer) {
            auto it = m_timers.find(&timer);
            if (it == m_timers.end())
                return nullptr;
            std::shared_ptr<Timer> owned = std::move(it->second);
            m_timers.erase(it);
            return owned;
        }

    protected:
        void timerEvent(QTimerEvent* event) override {
            auto it = m_byId.find(event->timerId());
            if (it != m_byId.end())
                timeout(*it->second);
        }

    private:
        std::unordered_map<Timer*, std::shared_ptr<Timer>> m_timers;
        std::unordered_map<int, Timer*> m_byId;
    };

    static inline QPointer<Host> host;

    static Host* ensureHost() {
        if (!host)
            host = new Host(QCoreApplication::instance());
        return host.data();
    }

    static void timeout(Timer& timer);
    static void run(Timer& timer);
};

namespace {

bool onMainThread() {
    const QCoreApplication* app = QCoreApplication::instance();
    return !app || QThread::currentThread() == app->thread();
}

int milliseconds(double seconds) {
    const double ms = seconds * 1000.0;
    if (!(ms > 0)) // also NaN
        return 0;
    if (ms >= double(INT_MAX))
        return INT_MAX;
    return int(std::lround(ms));
}

} // namespace

void Timer::Private::timeout(Timer& timer) {
    if (timer.m_firing)
        return; // its callback is pumping the event loop
    if (!timer.m_repeats && host)
        host->stop(timer);
    run(timer);
}

void Timer::Private::run(Timer& timer) {
    // The callback may drop the last reference to the timer (by invalidating it).
    const std::shared_ptr<Timer> keepAlive = timer.shared_from_this();
    struct FiringScope {
        Timer& t;
        explicit FiringScope(Timer& timer) : t(timer) { t.m_firing = true; }
        ~FiringScope() { t.m_firing = false; }
    } firing(timer);
    if (timer.m_callback)
        timer.m_callback(timer);
    if (!timer.m_repeats)
        timer.invalidate();
}

Timer::Timer(double seconds, bool repeats, Callback cb)
    : m_callback(std::move(cb)), m_interval(seconds), m_repeats(repeats) {}

Timer::~Timer() {
    if (m_timerId && Private::host)
        Private::host->stop(*this);
}

std::shared_ptr<Timer> Timer::scheduledTimer(double seconds, bool repeats, Callback cb) {
    std::shared_ptr<Timer> timer(new Timer(seconds, repeats, std::move(cb)));
    if (!onMainThread()) {
        qCWarning(lcKelvora, "Timers run on the main thread only; this one is not scheduled");
        timer->m_valid = false;
        return timer;
    }
    Private::ensureHost()->schedule(timer, milliseconds(seconds));
    return timer;
}

void Timer::invalidate() {
    if (!m_valid)
        return;
    m_valid = false;
    if (!Private::host)
        return;
    Private::host->stop(*this);
    // Destroyed last: this may be the last reference.
    const std::shared_ptr<Timer> released = Private::host->release(*this);
}

void Timer::fire() {
    if (!m_valid || m_firing)
        return;
    Private::run(*this);
}

} // namespace platform
