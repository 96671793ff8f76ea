#include "engine/CCAction.h"

#include "engine/CCNode.h"

#include <algorithm>
#include <cfloat>

void CCIntervalAction::startWithTarget(CCNode* target) {
    CCAction::startWithTarget(target);
    elapsed_ = 0;
}

void CCIntervalAction::step(ccTime dt) {
    elapsed_ += dt;
    update(std::min(1.0f, elapsed_ / std::max(duration_, FLT_EPSILON)));
}

// ---- move ----

std::shared_ptr<CCMoveTo> CCMoveTo::actionWithDuration(ccTime duration, Point position) {
    auto a = std::make_shared<CCMoveTo>();
    a->initWithDuration(duration);
    a->end_ = position;
    return a;
}

std::shared_ptr<MoveTo> MoveTo::actionWithDuration(ccTime duration, Point position) {
    auto a = std::make_shared<MoveTo>();
    a->initWithDuration(duration);
    a->end_ = position;
    return a;
}

void CCMoveTo::startWithTarget(CCNode* target) {
    CCIntervalAction::startWithTarget(target);
    start_ = target->position();
    delta_ = end_ - start_;
}

void CCMoveTo::update(ccTime t) {
    if (target_)
        target_->setPosition(Point(start_.x + delta_.x * t, start_.y + delta_.y * t));
}

// ---- fade ----

std::shared_ptr<CCFadeTo> CCFadeTo::actionWithDuration(ccTime duration, uint8_t opacity) {
    auto a = std::make_shared<CCFadeTo>();
    a->initWithDuration(duration);
    a->to_ = opacity;
    return a;
}

std::shared_ptr<FadeTo> FadeTo::actionWithDuration(ccTime duration, uint8_t opacity) {
    auto a = std::make_shared<FadeTo>();
    a->initWithDuration(duration);
    a->to_ = opacity;
    return a;
}

void CCFadeTo::startWithTarget(CCNode* target) {
    CCIntervalAction::startWithTarget(target);
    if (auto* rgba = dynamic_cast<CCRGBAProtocol*>(target))
        from_ = rgba->opacity();
}

void CCFadeTo::update(ccTime t) {
    if (auto* rgba = dynamic_cast<CCRGBAProtocol*>(target_))
        rgba->setOpacity(uint8_t(float(from_) + (float(to_) - float(from_)) * t));
}

// ---- sequence ----

std::shared_ptr<CCSequence>
CCSequence::actions(std::initializer_list<std::shared_ptr<CCFiniteTimeAction>> list) {
    auto a = std::make_shared<CCSequence>();
    a->initWithActions(list);
    return a;
}

std::shared_ptr<Sequence>
Sequence::actions(std::initializer_list<std::shared_ptr<CCFiniteTimeAction>> list) {
    auto a = std::make_shared<Sequence>();
    a->initWithActions(list);
    return a;
}

void CCSequence::initWithActions(std::initializer_list<std::shared_ptr<CCFiniteTimeAction>> list) {
    for (const auto& a : list)
        if (a) {
            actions_.push_back(a);
            duration_ += a->duration();
        }
}

void CCSequence::startWithTarget(CCNode* target) {
    CCIntervalAction::startWithTarget(target);
    index_ = 0;
    currentStarted_ = false;
}

void CCSequence::stop() {
    if (index_ < actions_.size() && currentStarted_)
        actions_[index_]->stop();
    CCIntervalAction::stop();
}

void CCSequence::step(ccTime dt) {
    elapsed_ += dt;
    ccTime left = dt;
    while (index_ < actions_.size() && target_) {
        CCFiniteTimeAction& a = *actions_[index_];
        if (!currentStarted_) {
            a.startWithTarget(target_);
            currentStarted_ = true;
        }
        const ccTime before =
            dynamic_cast<CCIntervalAction*>(&a) ? static_cast<CCIntervalAction&>(a).elapsed() : 0;
        a.step(left);
        if (!a.isDone())
            break;
        // What the finished action did not use goes on to the next one.
        left = std::max(0.0f, before + left - a.duration());
        a.stop();
        ++index_;
        currentStarted_ = false;
        if (left <= 0 && index_ < actions_.size() && actions_[index_]->duration() > 0)
            break;
    }
}

// ---- call ----

std::shared_ptr<CCCallFunc> CCCallFunc::actionWithTarget(std::function<void()> fn) {
    auto a = std::make_shared<CCCallFunc>();
    a->fn_ = std::move(fn);
    return a;
}

std::shared_ptr<CallFunc> CallFunc::actionWithTarget(std::function<void()> fn) {
    auto a = std::make_shared<CallFunc>();
    a->fn_ = std::move(fn);
    return a;
}

void CCCallFunc::update(ccTime) {
    if (fn_)
        fn_();
}

// ---- manager ----

CCActionManager& CCActionManager::sharedManager() {
    static auto* instance = new CCActionManager;
    return *instance;
}

void CCActionManager::addAction(const std::shared_ptr<CCAction>& action, CCNode* target,
                                bool paused) {
    entries_.push_back(Entry{action, target, paused});
    action->startWithTarget(target);
}

void CCActionManager::removeAction(CCAction* action) {
    for (auto& e : entries_)
        if (e.action.get() == action && !e.dead) {
            e.dead = true;
            e.action->stop();
        }
    sweep();
}

void CCActionManager::removeAllActionsFromTarget(const CCNode* target) {
    for (auto& e : entries_)
        if (e.target == target && !e.dead) {
            e.dead = true;
            e.action->stop();
        }
    sweep();
}

void CCActionManager::removeAllActions() {
    for (auto& e : entries_)
        e.dead = true;
    sweep();
}

void CCActionManager::pauseTarget(const CCNode* target) {
    for (auto& e : entries_)
        if (e.target == target)
            e.paused = true;
}

void CCActionManager::resumeTarget(const CCNode* target) {
    for (auto& e : entries_)
        if (e.target == target)
            e.paused = false;
}

size_t CCActionManager::numberOfRunningActionsInTarget(const CCNode* target) const {
    return size_t(std::count_if(entries_.begin(), entries_.end(), [target](const Entry& e) {
        return e.target == target && !e.dead;
    }));
}

void CCActionManager::sweep() {
    if (updating_)
        return;
    std::erase_if(entries_, [](const Entry& e) { return e.dead; });
}

void CCActionManager::update(ccTime dt) {
    ++updating_;
    const size_t n = entries_.size();
    for (size_t i = 0; i < n; ++i) {
        if (entries_[i].dead || entries_[i].paused)
            continue;
        auto action = entries_[i].action; // a step may add actions and grow the list
        action->step(dt);
        if (!entries_[i].dead && action->isDone()) {
            entries_[i].dead = true;
            action->stop();
        }
    }
    --updating_;
    sweep();
}
