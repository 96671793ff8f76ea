#pragma once

#include "base/Types.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

// Per-frame callbacks of nodes. The director ticks it with the elapsed seconds of each display
// frame; it then steps the running actions.
class CCScheduler {
public:
    static CCScheduler& sharedScheduler();

    // A callback runs when its accumulated time reaches `interval` (every tick for 0), with the
    // accumulated seconds. Scheduling an existing key again replaces its callback and interval.
    void scheduleSelector(const std::string& key, const void* target,
                          std::function<void(ccTime)> fn, ccTime interval, bool paused);
    void unscheduleSelector(const std::string& key, const void* target);
    void unscheduleAllSelectorsForTarget(const void* target);
    void unscheduleAllSelectors();
    void pauseTarget(const void* target);
    void resumeTarget(const void* target);
    bool isScheduled(const std::string& key, const void* target) const;

    void tick(ccTime dt);
    float timeScale() const { return timeScale_; }
    void setTimeScale(float s) { timeScale_ = s; }

private:
    struct Entry {
        const void* target;
        std::string key;
        std::function<void(ccTime)> fn;
        ccTime interval;
        ccTime elapsed = 0;
        bool paused;
        bool dead = false;
    };
    Entry* find(const std::string& key, const void* target) const;
    void sweep();

    std::vector<std::unique_ptr<Entry>> entries_;
    float timeScale_ = 1;
    int ticking_ = 0;
};
