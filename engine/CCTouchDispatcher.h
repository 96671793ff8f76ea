#pragma once

#include "engine/CCTouch.h"

#include <vector>

// Receives every touch event of the phases it implements.
class CCStandardTouchDelegate {
public:
    virtual ~CCStandardTouchDelegate() = default;
    virtual void ccTouchesBegan(const TouchSet&, TouchEvent*) {}
    virtual void ccTouchesMoved(const TouchSet&, TouchEvent*) {}
    virtual void ccTouchesEnded(const TouchSet&, TouchEvent*) {}
    virtual void ccTouchesCancelled(const TouchSet&, TouchEvent*) {}
};

// Hands touch events to the registered delegates, lower priority first.
class CCTouchDispatcher {
public:
    static CCTouchDispatcher& sharedDispatcher();

    // Same priority as existing delegates: goes before them. Adding one twice is a contract
    // failure.
    void addStandardDelegate(CCStandardTouchDelegate* delegate, int priority);
    void removeDelegate(CCStandardTouchDelegate* delegate);
    void removeAllDelegates();
    bool isRegistered(const CCStandardTouchDelegate* delegate) const;
    int priorityOf(const CCStandardTouchDelegate* delegate) const;
    size_t delegateCount() const { return handlers_.size(); }

    bool isDispatchEvents() const { return dispatchEvents_; }
    void setDispatchEvents(bool v) { dispatchEvents_ = v; }

    void touchesBegan(const TouchSet& touches, TouchEvent* event);
    void touchesMoved(const TouchSet& touches, TouchEvent* event);
    void touchesEnded(const TouchSet& touches, TouchEvent* event);
    void touchesCancelled(const TouchSet& touches, TouchEvent* event);

private:
    enum class Phase { Began, Moved, Ended, Cancelled };
    void dispatch(Phase phase, const TouchSet& touches, TouchEvent* event);

    struct Handler {
        CCStandardTouchDelegate* delegate;
        int priority;
    };
    std::vector<Handler> handlers_;
    // The copy an event walks, kept between events so that a drag's moves allocate nothing.
    std::vector<Handler> walking_;
    int dispatchDepth_ = 0;
    bool dispatchEvents_ = true;
};
