// Shooting mode on the stage: a path drawn from a weapon's firing point, then a shot that takes
// a frame per step with the bullets moved along the path, pausing to ask when one hits a figure
// or a prop that takes part in collisions.
#include "document/Animation.h"
#include "document/Commands.h"
#include "document/Frame.h"
#include "engine/Renderer.h"
#include "items/AK47.h"
#include "items/BoundingSprite.h"
#include "items/CopyingSprite.h"
#include "items/Grenade.h"
#include "items/Hmn.h"
#include "items/M16.h"
#include "items/Shuriken.h"
#include "items/Weapon.h"
#include "platform/Timer.h"
#include "stage/FrameLayer.h"
#include "stage/StageController.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace {

// Items hit by nothing: everything but figures and bounded props that collide.
bool canBeHit(const CCNode& node) {
    if (dynamic_cast<const Hmn*>(&node))
        return true;
    const auto* prop = dynamic_cast<const BoundingSprite*>(&node);
    return prop && prop->detectCollisions();
}

bool isMachineRifle(const Weapon& w) {
    return dynamic_cast<const M16*>(&w) || dynamic_cast<const AK47*>(&w);
}

} // namespace

void FrameLayer::setShootingMode(bool v) {
    shootingMode_ = v;
    if (v)
        forgetSelection();
    else if (!isShotInProgress())
        dropShootingPath();
    if (gameController_)
        gameController_->shootingStateChanged();
}

float FrameLayer::bulletAngle(Point p0, Point p1) {
    // Whole points, as the path was measured; the quotient as a float, so that a straight move
    // gives exactly 180 for the arc cosine.
    const int dx = int(p0.x - p1.x);
    const int dy = int(p0.y - p1.y);
    const float d = float(std::sqrt(double(dx) * dx + double(dy) * dy));
    const float q = float(dx / (double(d) + 1e-9));
    const float a = float(std::acos(double(q)) * 180 / std::numbers::pi);
    const float angle = a + 180;
    return dy > 0 ? -angle : angle;
}

// ---------------------------------------------------------------- the path

bool FrameLayer::shootingTouchBegan(Point p) {
    // While playing, the stage shows another frame than the one being edited.
    if (playing())
        return true;
    std::shared_ptr<Weapon> picked;
    for (const auto& child : children()) {
        auto weapon = std::dynamic_pointer_cast<Weapon>(child);
        if (weapon && weapon->canPerformShootingAtPoint(p))
            picked = weapon;
    }
    if (!picked)
        return false;
    shootingWeapon_ = picked;
    shootingPoints_.clear();
    lastShootingPoint_ = picked->shootingStartPoint();
    shootingPoints_.push_back(lastShootingPoint_);
    isPanning_ = false;
    return true;
}

void FrameLayer::shootingTouchMoved(const TouchSet& touches) {
    // Only the finger's path counts: nothing saved changes until the shot takes frames.
    if (!touches.empty())
        extendShootingPath(stagePointOfTouch(*touches[0]));
}

void FrameLayer::extendShootingPath(Point p) {
    const int dx = int(lastShootingPoint_.x - p.x);
    const int dy = int(lastShootingPoint_.y - p.y);
    const float d = float(std::sqrt(double(dx) * dx + double(dy) * dy));
    if (std::fabs(d - kPathSpacing) < kPathSpacingSlack) {
        shootingPoints_.push_back(p);
        lastShootingPoint_ = p;
        return;
    }
    if (d <= kShortestFilledMove)
        return;
    // Evenly spaced points towards p; p itself is where the next move is measured from.
    const float n = d / kPathSpacing;
    bulletStepX_ = float(-dx) / n;
    bulletStepY_ = float(-dy) / n;
    for (int k = 1;; ++k) {
        shootingPoints_.push_back(Point(lastShootingPoint_.x + float(k) * bulletStepX_,
                                        lastShootingPoint_.y + float(k) * bulletStepY_));
        if (!(float(k + 1) < n))
            break;
    }
    lastShootingPoint_ = p;
}

void FrameLayer::dropShootingPath() {
    if (isShotInProgress())
        return;
    shootingWeapon_.reset();
    shootingPoints_.clear();
}

void FrameLayer::visit(Renderer& r) {
    ColorLayer::visit(r);
    if (!visible() || !shootingMode_ || !shootingWeapon_ || shootingPoints_.size() < 2)
        return;
    // Over the items, so the whole path shows.
    r.pushMatrix();
    transform(r);
    r.setColor(0, 0, 1, 1);
    r.setLineWidth(1);
    for (size_t i = 1; i < shootingPoints_.size(); ++i)
        r.drawLine(shootingPoints_[i - 1], shootingPoints_[i]);
    r.popMatrix();
}

// ---------------------------------------------------------------- the shot

void FrameLayer::shootingTouchEnded() {
    if (!gameController_ || !gameController_->animation().currentFrame() || playing()) {
        dropShootingPath();
        return;
    }
    startShot();
}

void FrameLayer::startShot() {
    Animation& animation = gameController_->animation();
    Weapon& weapon = *shootingWeapon_;
    std::shared_ptr<LockingSprite> bullet = weapon.bullet();
    if (!bullet) {
        dropShootingPath();
        return;
    }
    // The posed figure keeps its tag: a new frame finds it by it.
    for (const auto& child : children())
        if (child->tag() != kPosedTag)
            child->setTag(0);
    bullet->setTag(kBulletTag);
    // A bullet still on the stage from a shot that took no frame is not added again.
    weapon.performShoot();
    shootingSteps_ = float(shootingPoints_.size()) - 1;
    watchCollisions(weapon, *bullet);
    Frame* frame = animation.currentFrame();
    shotFrame_ = animation.frames()[size_t(animation.currentFrameIndex())];
    shotFrameItems_.clear();
    shotFrames_.clear();
    if (!frame->containsSprite(bullet.get())) {
        frame->addSprite(bullet);
        shotFrameItems_.push_back(bullet);
    }
    bulletsQueue_ = {bullet};
    pendingQuestions_ = 0;
    shootingTimer_ = stepTimer(&FrameLayer::shootingStep, kShootingStepSeconds);
    gameController_->shootingStateChanged();
}

void FrameLayer::watchCollisions(const Weapon& weapon, const CCNode& bullet) {
    checkForCollision_ = children();
    collisionChecked_ = {&weapon, &bullet};
    for (const auto& child : children())
        if (!canBeHit(*child))
            collisionChecked_.push_back(child.get());
}

void FrameLayer::shootingStep() {
    if (!shootingTimer_)
        return;
    // Whatever took the bullet off the stage, the shot ends with what it has.
    auto* first = dynamic_cast<CCSprite*>(getChildByTag(kBulletTag));
    if (!first || !gameController_) {
        endShot(true);
        return;
    }
    shootingSteps_ -= 1;
    if (!(shootingSteps_ > 0)) {
        first->setTag(0);
        endShot(true);
        return;
    }
    const int step = int(shootingPoints_.size()) - 1 - int(shootingSteps_);
    if (isMachineRifle(*shootingWeapon_) && int(bulletsQueue_.size()) < kMaxBullets &&
        step % kExtraBulletEvery == 0)
        fireExtraBullet(*first);
    takeShotFrame();
    if (moveBullets()) {
        shootingTimer_->invalidate();
        shootingTimer_.reset();
        askNextCollisionQuestion();
    }
}

void FrameLayer::fireExtraBullet(const CCSprite& first) {
    auto bullet = copySprite(first);
    Frame* frame = gameController_->animation().currentFrame();
    if (!bullet || !frame)
        return;
    bullet->setTag(kExtraBulletTag + int(bulletsQueue_.size()));
    bullet->setPosition(shootingWeapon_->shootingStartPoint());
    addChild(bullet);
    frame->addSprite(bullet);
    if (frame == shotFrame_.get())
        shotFrameItems_.push_back(bullet);
    bulletsQueue_.push_back(bullet);
}

void FrameLayer::takeShotFrame() {
    // A new frame of copies after the current one, made current; the presenter puts it on the
    // stage. The shot records it as a whole when it ends.
    Animation& animation = gameController_->animation();
    auto frame = Animation::copyOfFrame(*animation.currentFrame());
    animation.insertFrame(animation.currentFrameIndex() + 1, frame);
    animation.setCurrentFrame(frame.get());
    shotFrames_.push_back(std::move(frame));
}

bool FrameLayer::moveBullets() {
    bool hit = false;
    const int n = int(shootingPoints_.size());
    for (size_t j = 0; j < bulletsQueue_.size(); ++j) {
        auto* b = dynamic_cast<CCSprite*>(getChildByTag(bulletsQueue_[j]->tag()));
        const int i = int(float(n) - shootingSteps_ - float(kExtraBulletEvery * int(j)));
        if (!b || i < 1 || i >= n)
            continue;
        b->setPosition(shootingPoints_[size_t(i)]);
        float angle = bulletAngle(shootingPoints_[size_t(i - 1)], shootingPoints_[size_t(i)]);
        if (dynamic_cast<Grenade*>(shootingWeapon_.get()) && std::fabs(angle) > 270)
            angle += 180;
        if (shootingWeapon_->orientation() == 2)
            angle += 180;
        if (dynamic_cast<Shuriken*>(shootingWeapon_.get()))
            b->setRotation(b->rotation() + float(kShurikenTurn));
        else
            b->setRotation(angle);
        hit = testCollisions(*b) || hit;
    }
    return hit;
}

bool FrameLayer::testCollisions(const CCSprite& bullet) {
    bool hit = false;
    const Point at = bullet.position();
    for (const auto& item : checkForCollision_) {
        if (std::find(collisionChecked_.begin(), collisionChecked_.end(), item.get()) !=
            collisionChecked_.end())
            continue;
        const auto* sprite = dynamic_cast<const CCSprite*>(item.get());
        if (!sprite || !sprite->containsPoint(at))
            continue;
        // Hit once per shot; each hit is one question.
        collisionChecked_.push_back(item.get());
        ++pendingQuestions_;
        hit = true;
    }
    return hit;
}

void FrameLayer::askNextCollisionQuestion() {
    if (gameController_)
        gameController_->askToContinueFiring();
    else
        alertViewClickedButtonAtIndex(0);
}

void FrameLayer::alertViewClickedButtonAtIndex(int index) {
    // An answer with no question open (the shot was dropped meanwhile) changes nothing.
    if (pendingQuestions_ <= 0 || !isShotInProgress() || shootingTimer_)
        return;
    --pendingQuestions_;
    if (index != 0) {
        // Stop: the rest of this step's questions go unasked; the mode stays on.
        pendingQuestions_ = 0;
        if (CCNode* first = getChildByTag(kBulletTag))
            first->setTag(0);
        endShot(false);
        return;
    }
    if (pendingQuestions_ > 0) {
        askNextCollisionQuestion();
        return;
    }
    shootingTimer_ = stepTimer(&FrameLayer::shootingStep, kShootingStepSeconds);
    if (gameController_)
        gameController_->shootingStateChanged();
}

void FrameLayer::endShot(bool switchOff) {
    if (shootingTimer_)
        shootingTimer_->invalidate();
    shootingTimer_.reset();
    std::shared_ptr<Frame> start = std::move(shotFrame_);
    shotFrame_.reset();
    if (gameController_ && start && (!shotFrames_.empty() || !shotFrameItems_.empty())) {
        Animation& animation = gameController_->animation();
        const int first = animation.indexOf(start.get()) + 1;
        gameController_->pushCommand(new ShotCommand(animation, std::move(shotFrames_), first,
                                                     start, std::move(shotFrameItems_)));
    }
    shotFrames_.clear();
    shotFrameItems_.clear();
    bulletsQueue_.clear();
    checkForCollision_.clear();
    collisionChecked_.clear();
    pendingQuestions_ = 0;
    dropShootingPath();
    if (switchOff && gameController_)
        gameController_->switchFire();
    else if (gameController_)
        gameController_->shootingStateChanged();
}

void FrameLayer::resetShooting() {
    if (shootingTimer_)
        shootingTimer_->invalidate();
    shootingTimer_.reset();
    shotFrame_.reset();
    shotFrames_.clear();
    shotFrameItems_.clear();
    bulletsQueue_.clear();
    checkForCollision_.clear();
    collisionChecked_.clear();
    pendingQuestions_ = 0;
    shootingMode_ = false;
    dropShootingPath();
    if (gameController_)
        gameController_->shootingStateChanged();
}
