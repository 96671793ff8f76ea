#pragma once

#include "base/Types.h"

#include <functional>
#include <initializer_list>
#include <memory>
#include <vector>

class CCNode;

// A timed change of a node, stepped by the action manager once per display frame.
class CCAction {
public:
    virtual ~CCAction() = default;
    virtual void startWithTarget(CCNode* target) { target_ = target; }
    virtual void stop() { target_ = nullptr; }
    virtual bool isDone() const { return true; }
    virtual void step(ccTime dt) = 0;
    // t in [0, 1].
    virtual void update(ccTime) {}
    CCNode* target() const { return target_; }
    int tag() const { return tag_; }
    void setTag(int t) { tag_ = t; }

protected:
    CCNode* target_ = nullptr;
    int tag_ = -1;
};

class CCFiniteTimeAction : public CCAction {
public:
    ccTime duration() const { return duration_; }

protected:
    ccTime duration_ = 0;
};

// Accumulates the elapsed seconds of each frame and applies t = min(1, elapsed / duration).
class CCIntervalAction : public CCFiniteTimeAction {
public:
    void startWithTarget(CCNode* target) override;
    bool isDone() const override { return elapsed_ >= duration_; }
    void step(ccTime dt) override;
    ccTime elapsed() const { return elapsed_; }

protected:
    void initWithDuration(ccTime d) { duration_ = d; }
    ccTime elapsed_ = 0;
};

// Happens at once, on its first step.
class CCInstantAction : public CCFiniteTimeAction {
public:
    bool isDone() const override { return true; }
    void step(ccTime) override { update(1); }
};

class CCMoveTo : public CCIntervalAction {
public:
    static std::shared_ptr<CCMoveTo> actionWithDuration(ccTime duration, Point position);
    void startWithTarget(CCNode* target) override;
    void update(ccTime t) override;

protected:
    Point end_, start_, delta_;
};
class MoveTo : public CCMoveTo {
public:
    static std::shared_ptr<MoveTo> actionWithDuration(ccTime duration, Point position);
};

class CCFadeTo : public CCIntervalAction {
public:
    static std::shared_ptr<CCFadeTo> actionWithDuration(ccTime duration, uint8_t opacity);
    void startWithTarget(CCNode* target) override;
    void update(ccTime t) override;

protected:
    uint8_t to_ = 0, from_ = 0;
};
class FadeTo : public CCFadeTo {
public:
    static std::shared_ptr<FadeTo> actionWithDuration(ccTime duration, uint8_t opacity);
};

// Runs its actions one after another; time left over by one goes to the next.
class CCSequence : public CCIntervalAction {
public:
    static std::shared_ptr<CCSequence>
    actions(std::initializer_list<std::shared_ptr<CCFiniteTimeAction>> list);
    void startWithTarget(CCNode* target) override;
    void stop() override;
    bool isDone() const override { return index_ >= actions_.size(); }
    void step(ccTime dt) override;

protected:
    void initWithActions(std::initializer_list<std::shared_ptr<CCFiniteTimeAction>> list);
    std::vector<std::shared_ptr<CCFiniteTimeAction>> actions_;
    size_t index_ = 0;
    bool currentStarted_ = false;
};
class Sequence : public CCSequence {
public:
    static std::shared_ptr<Sequence>
    actions(std::initializer_list<std::shared_ptr<CCFiniteTimeAction>> list);
};

// Calls its function once.
class CCCallFunc : public CCInstantAction {
public:
    static std::shared_ptr<CCCallFunc> actionWithTarget(std::function<void()> fn);
    void update(ccTime) override;

protected:
    std::function<void()> fn_;
};
class CallFunc : public CCCallFunc {
public:
    static std::shared_ptr<CallFunc> actionWithTarget(std::function<void()> fn);
};

// Nodes whose colour and opacity can change (sprites, colour layers).
class CCRGBAProtocol {
public:
    virtual ~CCRGBAProtocol() = default;
    virtual ccColor3B color() const = 0;
    virtual void setColor(ccColor3B c) = 0;
    virtual uint8_t opacity() const = 0;
    virtual void setOpacity(uint8_t o) = 0;
};

class CCActionManager {
public:
    static CCActionManager& sharedManager();

    void addAction(const std::shared_ptr<CCAction>& action, CCNode* target, bool paused);
    void removeAction(CCAction* action);
    void removeAllActionsFromTarget(const CCNode* target);
    void removeAllActions();
    void pauseTarget(const CCNode* target);
    void resumeTarget(const CCNode* target);
    size_t numberOfRunningActionsInTarget(const CCNode* target) const;
    void update(ccTime dt);

private:
    struct Entry {
        std::shared_ptr<CCAction> action;
        CCNode* target;
        bool paused;
        bool dead = false;
    };
    void sweep();
    std::vector<Entry> entries_;
    int updating_ = 0;
};
