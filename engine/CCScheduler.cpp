#include "engine/CCScheduler.h"

#include "engine/CCAction.h"

#include <algorithm>

CCScheduler& CCScheduler::sharedScheduler() {
    // Never destroyed: nodes that outlive main still unschedule themselves here.
    static auto* instance = new CCScheduler;
    return *instance;
}

CCScheduler::Entry* CCScheduler::find(const std::string& key, const void* target) const {
    for (const auto& e : entries_)
        if (!e->dead && e->target == target && e->key == key)
            return e.get();
    return nullptr;
}

void CCScheduler::scheduleSelector(const std::string& key, const void* target,
                                   std::function<void(ccTime)> fn, ccTime interval, bool paused) {
    if (Entry* e = find(key, target)) {
        e->fn = std::move(fn);
        e->interval = interval;
        return;
    }
    entries_.push_back(
        std::make_unique<Entry>(Entry{target, key, std::move(fn), interval, 0, paused}));
}

void CCScheduler::unscheduleSelector(const std::string& key, const void* target) {
    if (Entry* e = find(key, target))
        e->dead = true;
    sweep();
}

void CCScheduler::unscheduleAllSelectorsForTarget(const void* target) {
    for (auto& e : entries_)
        if (e->target == target)
            e->dead = true;
    sweep();
}

void CCScheduler::unscheduleAllSelectors() {
    for (auto& e : entries_)
        e->dead = true;
    sweep();
}

void CCScheduler::pauseTarget(const void* target) {
    for (auto& e : entries_)
        if (e->target == target)
            e->paused = true;
}

void CCScheduler::resumeTarget(const void* target) {
    for (auto& e : entries_)
        if (e->target == target)
            e->paused = false;
}

bool CCScheduler::isScheduled(const std::string& key, const void* target) const {
    return find(key, target) != nullptr;
}

void CCScheduler::sweep() {
    // Entries are only erased outside a tick, so callbacks can unschedule anything safely.
    if (ticking_)
        return;
    std::erase_if(entries_, [](const std::unique_ptr<Entry>& e) { return e->dead; });
}

void CCScheduler::tick(ccTime dt) {
    dt *= timeScale_;
    ++ticking_;
    // Callbacks added during this tick wait for the next one.
    const size_t n = entries_.size();
    for (size_t i = 0; i < n; ++i) {
        Entry* e = entries_[i].get();
        if (e->dead || e->paused)
            continue;
        e->elapsed += dt;
        if (e->elapsed >= e->interval) {
            const ccTime elapsed = e->elapsed;
            e->elapsed = 0;
            auto fn = e->fn; // the callback may replace or drop itself
            fn(elapsed);
        }
    }
    --ticking_;
    sweep();
    CCActionManager::sharedManager().update(dt);
}
