#include "engine/CCScrollView.h"

#include "engine/CCDirector.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr float kBounceFraction = 0.3f; // how far past its ends the content may be pulled
constexpr float kDeceleration = 0.95f;  // glide velocity kept from one frame to the next
constexpr float kStopSpeed = 1;         // points per frame at which a glide ends
constexpr ccTime kSettleDuration = 0.35f;
constexpr float kTapTravel = 1; // sideways finger travel below which a touch is a tap

const std::string kGlideKey = "deaccelerateScrolling";
const std::string kSettleKey = "performedAnimatedScroll";

} // namespace

std::shared_ptr<CCScrollView> CCScrollView::scrollViewWithViewSize(Size size) {
    return ccCreate<CCScrollView>([size](CCScrollView& v) { return v.initWithViewSize(size); });
}

bool CCScrollView::initWithViewSize(Size size) {
    // The colour layer sets its size through the overridden setContentSize before the
    // container exists; that call must leave everything as it is.
    if (!initWithColor(ccColor4B{0, 0, 0, 0}, size.width, size.height))
        return false;
    containerLayer_ = std::make_shared<LayerWithSize>();
    containerLayer_->setPosition(Point(0, 0));
    addChild(containerLayer_);
    viewSize_ = Size(-1, -1); // so that setViewSize computes the limits whatever the size
    setViewSize(size);
    isEnabled_ = true;
    bounces_ = true;
    clipToBounds_ = true;
    direction_ = CCScrollViewDirectionBoth;
    decelarating_ = false;
    touchPointValue_ = Point(-1, -1);
    return true;
}

void CCScrollView::setViewSize(Size size) {
    if (size == viewSize_)
        return;
    viewSize_ = size;
    updateInset();
}

Size CCScrollView::contentSize() const {
    if (!containerLayer_)
        return Size(0, 0);
    const Size s = containerLayer_->contentSize();
    return Size(s.width * scaleX_, s.height * scaleY_);
}

void CCScrollView::setContentSize(Size s) {
    if (!containerLayer_)
        return;
    containerLayer_->setContentSize(s);
    updateInset();
}

Point CCScrollView::contentOffset() const {
    return containerLayer_->position();
}

Point CCScrollView::minContainerOffset() const {
    const Size c = contentSize();
    return Point(viewSize_.width - c.width, viewSize_.height - c.height);
}

void CCScrollView::updateInset() {
    if (!containerLayer_)
        return;
    const Point bounce(kBounceFraction * viewSize_.width, kBounceFraction * viewSize_.height);
    maxInset_ = maxContainerOffset() + bounce;
    minInset_ = minContainerOffset() - bounce;
}

bool CCScrollView::windowContains(Point p) const {
    return Rect(position_, viewSize_).containsPoint(p);
}

void CCScrollView::addChild(const CCNodePtr& child, int z, int tag) {
    if (child && child == containerLayer_)
        ColorLayer::addChild(child, z, tag);
    else
        containerLayer_->addChild(child, z, tag);
}

Point CCScrollView::limitedOffset(Point c) const {
    const Point hi = bounces_ ? maxInset_ : maxContainerOffset();
    const Point lo = bounces_ ? minInset_ : minContainerOffset();
    // Against the upper bound first: content narrower than the window rests at the lower one.
    return Point(std::max(std::min(c.x, hi.x), lo.x), std::max(std::min(c.y, hi.y), lo.y));
}

void CCScrollView::setContentOffset(Point offset, bool animated) {
    if (animated) {
        containerLayer_->runAction(CCSequence::actions(
            {CCMoveTo::actionWithDuration(kSettleDuration, offset),
             CCCallFunc::actionWithTarget([this] { stoppedAnimatedScroll(); })}));
        schedule(kSettleKey, [this](ccTime dt) { performedAnimatedScroll(dt); });
    } else {
        containerLayer_->setPosition(offset);
        didScroll();
    }
}

void CCScrollView::didScroll() {
    if (delegate_)
        delegate_->scrollViewDidScroll(this);
}

void CCScrollView::relocateContainer(bool animated) {
    const Point old = contentOffset();
    const Point hi = maxContainerOffset(), lo = minContainerOffset();
    const Point fixed(std::max(std::min(old.x, hi.x), lo.x), std::max(std::min(old.y, hi.y), lo.y));
    if (fixed == old)
        return;
    setContentOffset(fixed, animated);
}

size_t CCScrollView::fingerCount(const TouchSet& touches, const TouchEvent* event) {
    return event ? std::max(touches.count(), event->allTouches().count()) : touches.count();
}

// ---- touches ----

void CCScrollView::ccTouchesBegan(const TouchSet& touches, TouchEvent* event) {
    if (!visible_ || !isEnabled_)
        return;
    initedTouchWhileDecelerating_ = false;
    touchScrollDistance_ = Point(0, 0);
    for (const TouchPtr& t : touches) {
        const Point world = convertToWorldSpace(convertTouchToNodeSpace(*t));
        if (!windowContains(world)) {
            touchPointValue_ = Point(-1, -1);
            isDragging_ = false;
            sequenceBeganInside_ = false;
            return;
        }
    }
    // Two fingers never scroll: they leave no usable touch point.
    if (fingerCount(touches, event) == 1)
        touchPointValue_ = convertTouchToNodeSpace(*touches.anyObject());
    else
        touchPointValue_ = Point(-1, -1);
    touchMovedValue_ = false;
    isDragging_ = true;
    sequenceBeganInside_ = true;
    scrollDistance_ = Point(0, 0);
    // The glide stops itself on its next frame, since a drag is now in progress.
    if (decelarating_)
        initedTouchWhileDecelerating_ = true;
}

void CCScrollView::ccTouchesMoved(const TouchSet& touches, TouchEvent* event) {
    if (!visible_ || !isEnabled_)
        return;
    touchMovedValue_ = true;
    if (fingerCount(touches, event) != 1 || !usableTouchPoint() || !isDragging_)
        return;
    const Point p = convertTouchToNodeSpace(*touches.anyObject());
    Point delta = p - touchPointValue_;
    touchPointValue_ = p;
    touchScrollDistance_ = touchScrollDistance_ + delta;
    if (!windowContains(convertToWorldSpace(p)))
        return;
    if (direction_ == CCScrollViewDirectionHorizontal)
        delta.y = 0;
    else if (direction_ == CCScrollViewDirectionVertical)
        delta.x = 0;
    const Point c = contentOffset() + delta;
    const Point limited = limitedOffset(c);
    // The step the limits did not swallow becomes the glide velocity.
    scrollDistance_ = delta - (limited - c);
    setContentOffset(limited);
}

void CCScrollView::ccTouchesEnded(const TouchSet& touches, TouchEvent* event) {
    if (!visible_ || !isEnabled_)
        return;
    if (sequenceBeganInside_ && !initedTouchWhileDecelerating_ &&
        std::fabs(touchScrollDistance_.x) < kTapTravel && tapHandler_) {
        // Walk a copy: a tapped item may change the content.
        const auto items = containerLayer_->children();
        const CCDirector& director = CCDirector::sharedDirector();
        for (const CCNodePtr& item : items) {
            const Point centre = containerLayer_->convertToWorldSpace(item->position());
            const Size s = item->contentSize();
            const Rect r(centre.x - s.width / 2, centre.y - s.height / 2, s.width, s.height);
            for (const TouchPtr& t : touches)
                if (r.containsPoint(director.convertToGL(t->locationInView())))
                    tapHandler_(item.get());
        }
    }
    isDragging_ = false;
    if (fingerCount(touches, event) == 1 && usableTouchPoint() && touchMovedValue_) {
        schedule(kGlideKey, [this](ccTime dt) { deaccelerateScrolling(dt); });
        return;
    }
    touchScrollDistance_ = Point(0, 0);
}

void CCScrollView::ccTouchesCancelled(const TouchSet& touches, TouchEvent* event) {
    ccTouchesEnded(touches, event);
}

// ---- per frame ----

void CCScrollView::deaccelerateScrolling(ccTime) {
    if (isDragging_) {
        decelarating_ = false;
        unschedule(kGlideKey);
        return;
    }
    decelarating_ = true;
    const Point c = contentOffset() + scrollDistance_;
    const Point limited = limitedOffset(c);
    scrollDistance_ = (scrollDistance_ - (limited - c)) * kDeceleration;
    setContentOffset(limited);

    const Point hi = bounces_ ? maxInset_ : maxContainerOffset();
    const Point lo = bounces_ ? minInset_ : minContainerOffset();
    const bool slow =
        std::fabs(scrollDistance_.x) <= kStopSpeed && std::fabs(scrollDistance_.y) <= kStopSpeed;
    const bool atLimit =
        limited.x == hi.x || limited.x == lo.x || limited.y == hi.y || limited.y == lo.y;
    if (slow || atLimit) {
        unschedule(kGlideKey);
        relocateContainer(true);
        decelarating_ = false;
    }
}

void CCScrollView::performedAnimatedScroll(ccTime) {
    if (isDragging_) {
        unschedule(kSettleKey);
        return;
    }
    didScroll();
}

void CCScrollView::stoppedAnimatedScroll() {
    decelarating_ = false;
    unschedule(kSettleKey);
}
