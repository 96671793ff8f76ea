#pragma once

#include "engine/CCLayer.h"

#include <functional>
#include <memory>

class CCScrollView;

// Told after every change of a scroll view's offset.
class CCScrollViewDelegate {
public:
    virtual ~CCScrollViewDelegate() = default;
    virtual void scrollViewDidScroll(CCScrollView* view) = 0;
};

// A layer whose content size only stores and returns a size: the scroll view's container
// carries the extent of its content in it.
class LayerWithSize : public CCLayer {
public:
    Size contentSize() const override { return extent_; }
    void setContentSize(Size s) override { extent_ = s; }

private:
    Size extent_;
};

enum CCScrollViewDirection {
    CCScrollViewDirectionHorizontal = 0,
    CCScrollViewDirectionVertical = 1,
    CCScrollViewDirectionBoth = 2,
};

// A scrolling strip inside the scene: a fixed window (the view size, lower-left corner at the
// layer's position) over a moving container that holds the content. A one-finger drag moves
// the container within elastic limits; on release it glides on, slowing by 5% a frame, then
// settles back inside its true limits. A touch that travels less than a point sideways taps
// every content item under it, but only when its sequence began inside the window.
class CCScrollView : public ColorLayer {
public:
    // A scroll view always has a window: there is no plain initialiser.
    static std::shared_ptr<CCScrollView> scrollViewWithViewSize(Size size);
    bool initWithViewSize(Size size);

    Size viewSize() const { return viewSize_; }
    void setViewSize(Size size);
    bool bounces() const { return bounces_; }
    void setBounces(bool v) { bounces_ = v; }
    // Kept for callers that ask; the content is drawn unclipped.
    bool clipToBounds() const { return clipToBounds_; }
    void setClipToBounds(bool v) { clipToBounds_ = v; }
    int direction() const { return direction_; }
    void setDirection(int d) { direction_ = d; }
    bool isEnabled() const { return isEnabled_; }
    void setIsEnabled(bool v) { isEnabled_ = v; }
    CCScrollViewDelegate* delegate() const { return delegate_; }
    void setDelegate(CCScrollViewDelegate* d) { delegate_ = d; }
    bool isDragging() const { return isDragging_; }
    bool isDecelerating() const { return decelarating_; }
    Point touchPoint_() const { return touchPointValue_; }
    void setTouchPoint_(Point p) { touchPointValue_ = p; }
    bool touchMoved_() const { return touchMovedValue_; }
    void setTouchMoved_(bool v) { touchMovedValue_ = v; }
    LayerWithSize* container_() const { return containerLayer_.get(); }
    // Glide velocity in points per frame, and the finger travel of the current sequence.
    Point scrollDistance() const { return scrollDistance_; }
    void setScrollDistance(Point v) { scrollDistance_ = v; }
    Point touchScrollDistance() const { return touchScrollDistance_; }
    Point minInset() const { return minInset_; }
    Point maxInset() const { return maxInset_; }

    // Content items are asked to act on a tap through this handler (the engine does not know
    // which of them are buttons).
    void setTapHandler(std::function<void(CCNode*)> handler) { tapHandler_ = std::move(handler); }

    // The content's extent times this layer's scale; setting it sizes the container and
    // recomputes the elastic limits. The layer's own size never changes.
    Size contentSize() const override;
    void setContentSize(Size s) override;
    Point contentOffset() const;
    void setContentOffset(Point offset) { setContentOffset(offset, false); }
    void setContentOffset(Point offset, bool animated);
    Point minContainerOffset() const;
    Point maxContainerOffset() const { return Point(0, 0); }
    // Moves the container back inside its true limits, if it is outside.
    void relocateContainer(bool animated);
    // Whether a point in the parent's coordinates lies in the window.
    bool windowContains(Point p) const;

    // Content goes into the container; only the container itself is the layer's own child.
    using ColorLayer::addChild;
    void addChild(const CCNodePtr& child, int z, int tag) override;

    void ccTouchesBegan(const TouchSet& touches, TouchEvent* event) override;
    void ccTouchesMoved(const TouchSet& touches, TouchEvent* event) override;
    void ccTouchesEnded(const TouchSet& touches, TouchEvent* event) override;
    void ccTouchesCancelled(const TouchSet& touches, TouchEvent* event) override;

    // Per-frame callbacks, public so that tests and benchmarks can step them directly.
    void deaccelerateScrolling(ccTime dt);
    void performedAnimatedScroll(ccTime dt);
    void stoppedAnimatedScroll();

    // The colour layer stays transparent: only the content shows.
    void draw(Renderer&) override {}

private:
    void updateInset();
    void didScroll();
    // Fingers down in this event (the event's own count when it has one).
    static size_t fingerCount(const TouchSet& touches, const TouchEvent* event);
    bool usableTouchPoint() const {
        return !(touchPointValue_.x == -1 && touchPointValue_.y == -1);
    }
    Point limitedOffset(Point c) const;

    bool isEnabled_ = true;
    bool touchMovedValue_ = false;
    Point maxInset_, minInset_;
    bool isDragging_ = false;
    bool bounces_ = true;
    bool clipToBounds_ = true;
    Point scrollDistance_;
    Point touchPointValue_ = Point(-1, -1);
    std::shared_ptr<LayerWithSize> containerLayer_;
    Size viewSize_;
    int direction_ = CCScrollViewDirectionBoth;
    CCScrollViewDelegate* delegate_ = nullptr;
    Point touchScrollDistance_;
    bool decelarating_ = false;
    bool initedTouchWhileDecelerating_ = false;
    // Taps count only for a touch sequence that began inside the window; otherwise dragging
    // an item up from the stage and letting go over an entry would tap it.
    bool sequenceBeganInside_ = false;
    std::function<void(CCNode*)> tapHandler_;
};
