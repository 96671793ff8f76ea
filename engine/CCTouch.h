#pragma once

#include "base/Types.h"

#include <memory>
#include <vector>

enum class TouchPhase { Began, Moved, Stationary, Ended, Cancelled };

// One finger on the drawing surface. Locations are in the view's points, origin top-left.
class Touch {
public:
    Touch() = default;
    Touch(Point location, int tapCount, const void* view = nullptr)
        : location_(location), previous_(location), view_(view), tapCount_(tapCount) {}

    Point locationInView() const { return location_; }
    Point previousLocationInView() const { return previous_; }
    const void* view() const { return view_; }
    int tapCount() const { return tapCount_; }
    TouchPhase phase() const { return phase_; }

    // Surface side: a new location keeps the old one as previous.
    void moveTo(Point p) {
        previous_ = location_;
        location_ = p;
    }
    void setLocation(Point location, Point previous) {
        location_ = location;
        previous_ = previous;
    }
    void setPhase(TouchPhase p) { phase_ = p; }
    void setTapCount(int n) { tapCount_ = n; }
    void setView(const void* v) { view_ = v; }

private:
    Point location_, previous_;
    const void* view_ = nullptr;
    int tapCount_ = 1;
    TouchPhase phase_ = TouchPhase::Began;
};

using TouchPtr = std::shared_ptr<Touch>;

// The touches of one phase in one event (an unordered set to its receivers; `anyObject` is
// the first).
class TouchSet {
public:
    TouchSet() = default;
    TouchSet(std::initializer_list<TouchPtr> l) : touches_(l) {}
    void add(const TouchPtr& t) { touches_.push_back(t); }
    size_t count() const { return touches_.size(); }
    bool empty() const { return touches_.empty(); }
    Touch* anyObject() const { return touches_.empty() ? nullptr : touches_.front().get(); }
    bool contains(const Touch* t) const {
        for (const auto& x : touches_)
            if (x.get() == t)
                return true;
        return false;
    }
    auto begin() const { return touches_.begin(); }
    auto end() const { return touches_.end(); }
    const TouchPtr& operator[](size_t i) const { return touches_[i]; }

private:
    std::vector<TouchPtr> touches_;
};

// The event a set of touches arrives with: every finger currently on the surface.
class TouchEvent {
public:
    TouchEvent() = default;
    explicit TouchEvent(TouchSet all) : all_(std::move(all)) {}
    const TouchSet& allTouches() const { return all_; }

private:
    TouchSet all_;
};
