#include "engine/CCTouchDispatcher.h"

#include "base/Exception.h"

#include <algorithm>

CCTouchDispatcher& CCTouchDispatcher::sharedDispatcher() {
    static auto* instance = new CCTouchDispatcher;
    return *instance;
}

void CCTouchDispatcher::addStandardDelegate(CCStandardTouchDelegate* delegate, int priority) {
    ccAssert(delegate != nullptr, "Argument must be non-nil");
    ccAssert(!isRegistered(delegate), "Delegate already added to touch dispatcher.");
    auto at = std::find_if(handlers_.begin(), handlers_.end(),
                           [priority](const Handler& h) { return h.priority >= priority; });
    handlers_.insert(at, Handler{delegate, priority});
}

void CCTouchDispatcher::removeDelegate(CCStandardTouchDelegate* delegate) {
    std::erase_if(handlers_, [delegate](const Handler& h) { return h.delegate == delegate; });
}

void CCTouchDispatcher::removeAllDelegates() {
    handlers_.clear();
}

bool CCTouchDispatcher::isRegistered(const CCStandardTouchDelegate* delegate) const {
    return std::any_of(handlers_.begin(), handlers_.end(),
                       [delegate](const Handler& h) { return h.delegate == delegate; });
}

int CCTouchDispatcher::priorityOf(const CCStandardTouchDelegate* delegate) const {
    for (const Handler& h : handlers_)
        if (h.delegate == delegate)
            return h.priority;
    return 0;
}

void CCTouchDispatcher::dispatch(Phase phase, const TouchSet& touches, TouchEvent* event) {
    if (!dispatchEvents_)
        return;
    // A delegate may add or remove delegates (even itself) while handling the event: walk a
    // copy, and skip those removed meanwhile. The copy reuses its storage from event to event;
    // an event dispatched from inside a delegate walks its own.
    std::vector<Handler> nested;
    std::vector<Handler>& handlers = dispatchDepth_ == 0 ? walking_ : nested;
    handlers.assign(handlers_.begin(), handlers_.end());
    struct Depth {
        int& depth;
        explicit Depth(int& d) : depth(d) { ++depth; }
        ~Depth() { --depth; }
    } depth(dispatchDepth_);
    for (const Handler& h : handlers) {
        if (!isRegistered(h.delegate))
            continue;
        switch (phase) {
        case Phase::Began:
            h.delegate->ccTouchesBegan(touches, event);
            break;
        case Phase::Moved:
            h.delegate->ccTouchesMoved(touches, event);
            break;
        case Phase::Ended:
            h.delegate->ccTouchesEnded(touches, event);
            break;
        case Phase::Cancelled:
            h.delegate->ccTouchesCancelled(touches, event);
            break;
        }
    }
}

void CCTouchDispatcher::touchesBegan(const TouchSet& t, TouchEvent* e) {
    dispatch(Phase::Began, t, e);
}
void CCTouchDispatcher::touchesMoved(const TouchSet& t, TouchEvent* e) {
    dispatch(Phase::Moved, t, e);
}
void CCTouchDispatcher::touchesEnded(const TouchSet& t, TouchEvent* e) {
    dispatch(Phase::Ended, t, e);
}
void CCTouchDispatcher::touchesCancelled(const TouchSet& t, TouchEvent* e) {
    dispatch(Phase::Cancelled, t, e);
}
