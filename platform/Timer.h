#pragma once

#include <functional>
#include <memory>

namespace platform {

// A timer on the main thread's event loop, like the phone platform's: the platform keeps a
// scheduled timer alive while it is valid, so callers may drop their reference; its owner stops it
// with invalidate(). A one-shot timer becomes invalid after its callback returns (during the
// callback it is still valid); a repeating one stays valid until invalidate(). A timer never runs
// its callback re-entrantly: while its callback pumps the event loop, it does not fire again.
class Timer : public std::enable_shared_from_this<Timer> {
public:
    using Callback = std::function<void(Timer&)>;

    // Starts a timer that calls cb every `seconds` (once when !repeats). Main thread only.
    static std::shared_ptr<Timer> scheduledTimer(double seconds, bool repeats, Callback cb);

    ~Timer();
    Timer(const Timer&) = delete;
    Timer& operator=(const Timer&) = delete;

    // Stops the timer for good; safe from inside its own callback and more than once.
    void invalidate();
    bool isValid() const { return m_valid; }
    // The interval in seconds, as given.
    double timeInterval() const { return m_interval; }
    bool repeats() const { return m_repeats; }
    // Runs the callback now without changing a repeating timer's schedule; a one-shot timer
    // becomes invalid. Does nothing on an invalid timer.
    void fire();

private:
    struct Private;
    Timer(double seconds, bool repeats, Callback cb);

    Callback m_callback;
    double m_interval = 0;
    bool m_repeats = false;
    bool m_valid = true;
    bool m_firing = false;
    int m_timerId = 0;
};

} // namespace platform
