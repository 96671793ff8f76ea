#include "engine/CCNode.h"

#include "base/Exception.h"
#include "engine/CCAction.h"
#include "engine/CCCamera.h"
#include "engine/CCDirector.h"
#include "engine/CCScheduler.h"
#include "engine/CCTouch.h"
#include "engine/Renderer.h"

#include <algorithm>
#include <numbers>

CCNode::CCNode() = default;

CCNode::~CCNode() {
    CCActionManager::sharedManager().removeAllActionsFromTarget(this);
    CCScheduler::sharedScheduler().unscheduleAllSelectorsForTarget(this);
    if (children_)
        for (auto& c : *children_)
            c->parent_ = nullptr;
}

const std::vector<CCNodePtr>& CCNode::children() const {
    static const std::vector<CCNodePtr> none;
    return children_ ? *children_ : none;
}

std::shared_ptr<CCNode> CCNode::node() {
    return std::make_shared<CCNode>();
}

// ---- tree ----

void CCNode::addChild(const CCNodePtr& child) {
    ccAssert(child != nullptr, "Argument must be non-nil");
    addChild(child, child->zOrder_, child->tag_);
}

void CCNode::addChild(const CCNodePtr& child, int z) {
    ccAssert(child != nullptr, "Argument must be non-nil");
    addChild(child, z, child->tag_);
}

void CCNode::addChild(const CCNodePtr& child, int z, int tag) {
    ccAssert(child != nullptr, "Argument must be non-nil");
    ccAssert(child->parent_ == nullptr, "child already added. It can't be added again");
    insertChild(child, z);
    child->tag_ = tag;
    child->parent_ = this;
    if (isRunning_) {
        child->onEnter();
        child->onEnterTransitionDidFinish();
    }
}

void CCNode::insertChild(const CCNodePtr& child, int z) {
    if (!children_)
        children_ = std::make_unique<std::vector<CCNodePtr>>();
    auto& kids = *children_;
    auto at =
        std::find_if(kids.begin(), kids.end(), [z](const CCNodePtr& c) { return c->zOrder_ > z; });
    kids.insert(at, child);
    child->zOrder_ = z;
}

void CCNode::detachChild(CCNode* child, bool cleanup) {
    if (!children_)
        return;
    auto it = std::find_if(children_->begin(), children_->end(),
                           [child](const CCNodePtr& c) { return c.get() == child; });
    if (it == children_->end())
        return;
    CCNodePtr keep = *it; // the child may have no other owner
    if (isRunning_)
        child->onExit();
    if (cleanup)
        child->cleanup();
    child->parent_ = nullptr;
    // onExit/cleanup may have changed the list; find the child again.
    it = std::find(children_->begin(), children_->end(), keep);
    if (it != children_->end())
        children_->erase(it);
}

void CCNode::removeChild(CCNode* child, bool cleanup) {
    if (child == nullptr)
        return;
    detachChild(child, cleanup);
}

void CCNode::removeAllChildrenWithCleanup(bool cleanup) {
    if (!children_)
        return;
    std::vector<CCNodePtr> old;
    old.swap(*children_);
    for (auto& c : old) {
        if (isRunning_)
            c->onExit();
        if (cleanup)
            c->cleanup();
        c->parent_ = nullptr;
    }
}

void CCNode::removeFromParentAndCleanup(bool cleanup) {
    if (parent_)
        parent_->removeChild(this, cleanup);
}

void CCNode::reorderChild(CCNode* child, int z) {
    ccAssert(child != nullptr, "Child must be non-nil");
    if (!children_)
        return;
    auto it = std::find_if(children_->begin(), children_->end(),
                           [child](const CCNodePtr& c) { return c.get() == child; });
    if (it == children_->end())
        return;
    CCNodePtr keep = *it;
    children_->erase(it);
    insertChild(keep, z);
}

CCNode* CCNode::getChildByTag(int tag) const {
    for (const auto& c : children())
        if (c->tag_ == tag)
            return c.get();
    return nullptr;
}

// ---- properties ----

void CCNode::setPosition(Point p) {
    position_ = p;
    markTransformDirty();
}

void CCNode::setRotation(float degrees) {
    rotation_ = degrees;
    markTransformDirty();
}

float CCNode::scale() const {
    ccAssert(scaleX_ == scaleY_, "CCNode#scale. ScaleX != ScaleY. Don't know which one to return");
    return scaleX_;
}

void CCNode::setScale(float s) {
    scaleX_ = scaleY_ = s;
    markTransformDirty();
}

void CCNode::setScaleX(float s) {
    scaleX_ = s;
    markTransformDirty();
}

void CCNode::setScaleY(float s) {
    scaleY_ = s;
    markTransformDirty();
}

void CCNode::setContentSize(Size s) {
    contentSize_ = s;
    anchorInPoints_ =
        Point(contentSize_.width * anchorPoint_.x, contentSize_.height * anchorPoint_.y);
    markTransformDirty();
}

void CCNode::setAnchorPoint(Point p) {
    anchorPoint_ = p;
    anchorInPoints_ =
        Point(contentSize_.width * anchorPoint_.x, contentSize_.height * anchorPoint_.y);
    markTransformDirty();
}

void CCNode::setIsRelativeAnchorPoint(bool v) {
    isRelativeAnchorPoint_ = v;
    markTransformDirty();
}

CCCamera* CCNode::camera() {
    if (!camera_)
        camera_ = std::make_unique<CCCamera>();
    return camera_.get();
}

// ---- geometry ----

AffineTransform CCNode::nodeToParentTransform() const {
    if (!transformDirty_)
        return transform_;
    AffineTransform t;
    const Point a = anchorInPoints_;
    const bool hasAnchor = !(a.x == 0 && a.y == 0);
    if (!isRelativeAnchorPoint_ && hasAnchor)
        t = t.translated(a.x, a.y);
    if (!(position_.x == 0 && position_.y == 0))
        t = t.translated(position_.x, position_.y);
    if (rotation_ != 0)
        t = t.rotated(-rotation_ * float(std::numbers::pi) / 180.0f);
    if (scaleX_ != 1 || scaleY_ != 1)
        t = t.scaled(scaleX_, scaleY_);
    if (hasAnchor)
        t = t.translated(-a.x, -a.y);
    transform_ = t;
    transformDirty_ = false;
    return t;
}

AffineTransform CCNode::parentToNodeTransform() const {
    return nodeToParentTransform().inverted();
}

AffineTransform CCNode::nodeToWorldTransform() const {
    AffineTransform t = nodeToParentTransform();
    for (const CCNode* p = parent_; p; p = p->parent_)
        t = t.concat(p->nodeToParentTransform());
    return t;
}

AffineTransform CCNode::worldToNodeTransform() const {
    return nodeToWorldTransform().inverted();
}

Rect CCNode::boundingBox() const {
    return nodeToParentTransform().apply(Rect(Point(0, 0), contentSize_));
}

Point CCNode::convertToNodeSpace(Point world) const {
    return worldToNodeTransform().apply(world);
}

Point CCNode::convertToWorldSpace(Point node) const {
    return nodeToWorldTransform().apply(node);
}

Point CCNode::convertToNodeSpaceAR(Point world) const {
    return convertToNodeSpace(world) - anchorInPoints_;
}

Point CCNode::convertToWorldSpaceAR(Point node) const {
    return convertToWorldSpace(node + anchorInPoints_);
}

Point CCNode::convertTouchToNodeSpace(const Touch& touch) const {
    return convertToNodeSpace(CCDirector::sharedDirector().convertToGL(touch.locationInView()));
}

// ---- time ----

CCAction* CCNode::runAction(const std::shared_ptr<CCAction>& action) {
    ccAssert(action != nullptr, "Argument must be non-nil");
    CCActionManager::sharedManager().addAction(action, this, !isRunning_);
    return action.get();
}

void CCNode::stopAllActions() {
    CCActionManager::sharedManager().removeAllActionsFromTarget(this);
}

void CCNode::stopAction(CCAction* action) {
    CCActionManager::sharedManager().removeAction(action);
}

size_t CCNode::numberOfRunningActions() const {
    return CCActionManager::sharedManager().numberOfRunningActionsInTarget(this);
}

void CCNode::schedule(const std::string& key, std::function<void(ccTime)> fn, ccTime interval) {
    CCScheduler::sharedScheduler().scheduleSelector(key, this, std::move(fn), interval,
                                                    !isRunning_);
}

void CCNode::unschedule(const std::string& key) {
    CCScheduler::sharedScheduler().unscheduleSelector(key, this);
}

void CCNode::unscheduleAllSelectors() {
    CCScheduler::sharedScheduler().unscheduleAllSelectorsForTarget(this);
}

// ---- running ----

void CCNode::onEnter() {
    // Children may add or remove siblings while entering; walk a copy.
    const auto kids = children();
    for (auto& c : kids)
        c->onEnter();
    isRunning_ = true;
    CCScheduler::sharedScheduler().resumeTarget(this);
    CCActionManager::sharedManager().resumeTarget(this);
}

void CCNode::onEnterTransitionDidFinish() {
    const auto kids = children();
    for (auto& c : kids)
        c->onEnterTransitionDidFinish();
}

void CCNode::onExit() {
    CCScheduler::sharedScheduler().pauseTarget(this);
    CCActionManager::sharedManager().pauseTarget(this);
    isRunning_ = false;
    const auto kids = children();
    for (auto& c : kids)
        c->onExit();
}

void CCNode::cleanup() {
    stopAllActions();
    unscheduleAllSelectors();
    const auto kids = children();
    for (auto& c : kids)
        c->cleanup();
}

// ---- drawing ----

void CCNode::transform(Renderer& r) {
    r.concat(nodeToParentTransform());
    if (camera_) {
        float ex, ey, ez;
        camera_->eyeX(&ex, &ey, &ez);
        r.translate(anchorInPoints_.x, anchorInPoints_.y);
        r.translate(-ex, -ey);
        r.translate(-anchorInPoints_.x, -anchorInPoints_.y);
    }
}

void CCNode::visit(Renderer& r) {
    if (!visible_)
        return;
    r.pushMatrix();
    transform(r);
    const auto& kids = children();
    size_t i = 0;
    for (; i < kids.size() && kids[i]->zOrder_ < 0; ++i)
        kids[i]->visit(r);
    draw(r);
    for (; i < kids.size(); ++i)
        kids[i]->visit(r);
    r.popMatrix();
}

void CCNode::draw(Renderer&) {}
