#include "stage/FrameLayer.h"

#include "document/Animation.h"
#include "document/Frame.h"
#include "engine/CCCamera.h"
#include "engine/CCDirector.h"
#include "items/Hmn.h"
#include "items/Joint.h"
#include "items/LockingSprite.h"
#include "items/SpeechBubble.h"
#include "platform/Timer.h"
#include "stage/StageController.h"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <utility>

namespace {

float distance(Point a, Point b) {
    return std::hypot(a.x - b.x, a.y - b.y);
}

bool contains(const TouchSet& touches, const TouchPtr& t) {
    return t && touches.contains(t.get());
}

uint8_t clampedOpacity(int value) {
    return uint8_t(std::clamp(value, 0, 255));
}

} // namespace

std::shared_ptr<FrameLayer> FrameLayer::layerWithColor(ccColor4B color, float width, float height) {
    auto l = std::make_shared<FrameLayer>();
    l->initWithColor(color, width, height);
    return l;
}

FrameLayer::FrameLayer() = default;

FrameLayer::~FrameLayer() {
    if (moveCameraTimer_)
        moveCameraTimer_->invalidate();
    if (shootingTimer_)
        shootingTimer_->invalidate();
    if (editHumanTimer_)
        editHumanTimer_->invalidate();
}

bool FrameLayer::initWithColor(ccColor4B color, float width, float height) {
    if (!ColorLayer::initWithColor(color, width, height))
        return false;
    rotatingControl_ = Sprite::spriteWithFile(QStringLiteral("rotate-control.png"));
    if (!rotatingControl_)
        rotatingControl_ = Sprite::sprite();
    rotatingControl_->setVisible(false);
    nTouches_ = 0;
    paletteTouches_.reserve(4);
    return true;
}

// ---------------------------------------------------------------- points

Point FrameLayer::screenPoint(Point viewPoint) {
    return CCDirector::sharedDirector().convertToGLStick(viewPoint);
}

Point FrameLayer::stagePoint(Point viewPoint) const {
    const Point g = screenPoint(viewPoint);
    const Point eye = cameraPosition();
    const float s = stageScale();
    return Point(eye.x + g.x / s, eye.y + g.y / s);
}

// ---------------------------------------------------------------- selection

CCSprite* FrameLayer::selectedItem() const {
    if (!movingSprite_ || movingKind_ == Kind::Joint || movingSprite_->parent() != this)
        return nullptr;
    return movingSprite_.get();
}

CCSprite* FrameLayer::itemAt(Point p) const {
    for (const auto& child : children()) {
        auto* item = dynamic_cast<LockingSprite*>(child.get());
        if (item && !item->locked() && item->containsPoint(p))
            return item;
    }
    return nullptr;
}

void FrameLayer::removeAllItems() {
    // Back to front, so that removing does not shift what is still to be looked at.
    for (size_t i = children().size(); i-- > 0;) {
        CCNode* child = children()[i].get();
        if (!isStageControl(child))
            removeChild(child, true);
    }
}

void FrameLayer::showHandle(Point at) {
    rotatingControl_->setVisible(true);
    rotatingControl_->setPosition(at);
    if (rotatingControl_->parent() != this)
        addChild(rotatingControl_, kHandleZ);
}

void FrameLayer::hideHandle() {
    rotatingControl_->setVisible(false);
}

void FrameLayer::select(const std::shared_ptr<CCSprite>& item, Point p, const TouchPtr& touch) {
    movingOffset_ = p - item->position();
    movingSprite_ = item;
    movingKind_ = dynamic_cast<Hmn*>(item.get()) ? Kind::Figure : Kind::Item;
    movingJoint_ = nullptr;
    movingTouch_ = touch;
    if (movingKind_ != Kind::Figure)
        showHandle(item->position());
    isPanning_ = false;
}

void FrameLayer::selectJoint(Joint* joint, Point p, const TouchPtr& touch) {
    const JointedSprite* limb = joint->owner();
    auto* figure = limb ? dynamic_cast<Hmn*>(limb->parent()) : nullptr;
    if (!figure)
        return;
    movingOffset_ = p - joint->position();
    movingSprite_ = std::static_pointer_cast<CCSprite>(figure->shared_from_this());
    movingKind_ = Kind::Joint;
    movingJoint_ = joint;
    movingTouch_ = touch;
    isPanning_ = false;
}

Point FrameLayer::heldPosition() const {
    if (movingKind_ == Kind::Joint && movingJoint_)
        return movingJoint_->position();
    return movingSprite_ ? movingSprite_->position() : Point();
}

void FrameLayer::forgetSelection() {
    movingSprite_.reset();
    movingJoint_ = nullptr;
    movingTouch_.reset();
    rotatingTouch_.reset();
    hideHandle();
}

void FrameLayer::frameSwitched() {
    // A path drawn on the frame that goes would start its shot on another.
    if (!isShotInProgress())
        dropShootingPath();
    commitGesture();
    forgetSelection();
    firstTouch_.reset();
    wasRotating_ = false;
}

void FrameLayer::reset() {
    if (moveCameraTimer_)
        moveCameraTimer_->invalidate();
    moveCameraTimer_.reset();
    cameraSteps_ = 0;
    resetShooting();
    if (editHumanTimer_)
        editHumanTimer_->invalidate();
    editHumanTimer_.reset();
    steps_ = 0;
    isZoomingOut_ = false;
    shouldSetHmnColor_ = false;
    if (gameController_)
        gameController_->dismissSpeechBubbleEditor();
    dropGesture();
    forgetSelection();
    firstTouch_.reset();
    wasRotating_ = false;
    isPanning_ = false;
    nTouches_ = 0;
    paletteTouches_.clear();
    editingHuman_.reset();
    inZoom_ = izZooming_ = false;
    moveCameraTo(Point(0, 0));
    setScale(1);
    rotatingControl_->setScale(1);
    rotatingControl_->setOpacity(255);
}

bool FrameLayer::deleteSelectedItem() {
    CCSprite* item = selectedItem();
    if (!item)
        return false;
    deleteItem(std::static_pointer_cast<CCSprite>(item->shared_from_this()));
    return true;
}

void FrameLayer::deleteItem(std::shared_ptr<CCSprite> item) {
    // The drag that brought it here is no step of its own: undoing the delete puts the item
    // back where the gesture found it.
    if (gestureItem_ == item)
        gestureBefore_.applyTo(*item);
    dropGesture();
    forgetSelection();
    if (gameController_)
        gameController_->removeSprite(item.get());
}

bool FrameLayer::dropOnBasket(Point screen) {
    if (!gameController_ || !gameController_->basketVisible() ||
        !gameController_->basketContainsScreenPoint(screen))
        return false;
    deleteItem(std::shared_ptr<CCSprite>(movingSprite_));
    return true;
}

// ---------------------------------------------------------------- gestures

void FrameLayer::openGesture() {
    if (movingSprite_ && movingKind_ == Kind::Joint) {
        openPoseGesture();
        return;
    }
    CCSprite* item = selectedItem();
    if (!item || gestureItem_.get() == item || !gameController_)
        return;
    commitGesture();
    gestureItem_ = movingSprite_;
    gestureFrame_ = gameController_->animation().currentFrame();
    gestureBefore_ = ItemPlacement::of(*item);
}

void FrameLayer::commitGesture() {
    commitPoseGesture();
    if (!gestureItem_)
        return;
    std::shared_ptr<CCSprite> item = std::move(gestureItem_);
    gestureItem_.reset();
    // An item that left the stage meanwhile (an undo, a delete) has nothing to record.
    if (!gameController_ || item->parent() != this || !gestureFrame_ ||
        !gestureFrame_->containsSprite(item.get()))
        return;
    const ItemPlacement after = ItemPlacement::of(*item);
    if (after == gestureBefore_)
        return;
    gameController_->pushCommand(new ItemPlacementCommand(
        gameController_->animation(), gestureFrame_, item, gestureBefore_, after));
}

void FrameLayer::dropGesture() {
    poseFigure_.reset();
    poseFrame_ = nullptr;
    gestureItem_.reset();
    gestureFrame_ = nullptr;
}

// ---------------------------------------------------------------- touches

const TouchSet& FrameLayer::ownTouches(const TouchSet& touches, TouchSet& scratch) const {
    if (paletteTouches_.empty())
        return touches;
    for (const TouchPtr& t : touches)
        if (std::find(paletteTouches_.begin(), paletteTouches_.end(), t.get()) ==
            paletteTouches_.end())
            scratch.add(t);
    return scratch;
}

const TouchSet& FrameLayer::liftedTouches(const TouchSet& all, TouchSet& scratch) {
    const TouchSet& touches = ownTouches(all, scratch);
    for (const TouchPtr& t : all)
        std::erase(paletteTouches_, t.get());
    nTouches_ = std::max(0, nTouches_ - int(touches.count()));
    return touches;
}

void FrameLayer::ccTouchesBegan(const TouchSet& all, TouchEvent*) {
    TouchSet scratch;
    const TouchSet* own = &all;
    if (gameController_) {
        bool anyInPalette = false;
        for (const TouchPtr& t : all) {
            if (gameController_->shownPaletteContains(screenPoint(t->locationInView()))) {
                paletteTouches_.push_back(t.get());
                anyInPalette = true;
            }
        }
        if (anyInPalette)
            own = &ownTouches(all, scratch);
    }
    const TouchSet& touches = *own;
    if (touches.empty())
        return;

    nTouches_ += int(touches.count());
    if (isShotInProgress())
        return;
    rotatingTouch_.reset();
    movingTouch_.reset();

    // The handle around the selected item: near the centre drags, further out turns.
    if (!shootingMode_ && movingSprite_ && movingKind_ != Kind::Figure && touches.count() == 1 &&
        touches[0]->tapCount() == 1) {
        const Point p = stagePointOfTouch(*touches[0]);
        if (rotatingControl_->containsPoint(p)) {
            if (distance(heldPosition(), p) <= kHandleDragRadius / stageScale()) {
                movingOffset_ = p - heldPosition();
                movingTouch_ = touches[0];
            } else {
                rotatingTouch_ = touches[0];
            }
            openGesture();
            return;
        }
    }

    // Two new fingers while posing with nothing but a joint in hand pan the camera.
    if (touches.count() == 2 && inZoom_ && (!movingSprite_ || movingKind_ == Kind::Joint)) {
        movingSprite_.reset();
        movingJoint_ = nullptr;
        isPanning_ = true;
        movingTouch_ = touches[0];
        return;
    }

    if (firstTouch_ || touches.count() == 2) {
        const Touch& a = firstTouch_ ? *firstTouch_ : *touches[0];
        const Touch& b = firstTouch_ ? *touches[0] : *touches[1];
        touchesInitDistance_ =
            distance(screenPoint(a.locationInView()), screenPoint(b.locationInView()));
    }
    if (!firstTouch_ && touches.count() == 1)
        firstTouch_ = touches[0];

    bool done = false;
    for (const TouchPtr& t : touches) {
        const Point p = stagePointOfTouch(*t);
        if (inZoom_ && poseTouchBegan(t, p, touches))
            break;
        if (shootingMode_) {
            if (!shootingTouchBegan(p) && gameController_)
                gameController_->switchFire();
            continue;
        }
        // By index: presenting a screen or entering posing must not invalidate the walk.
        for (size_t i = 0; i < children().size() && !done; ++i) {
            auto* item = dynamic_cast<LockingSprite*>(children()[i].get());
            if (!item || item->locked() || !item->containsPoint(p))
                continue;
            auto picked = std::static_pointer_cast<CCSprite>(item->shared_from_this());
            const bool doubleTap = !izZooming_ && !inZoom_ && t->tapCount() == 2;
            if (doubleTap && gameController_) {
                if (auto bubble = std::dynamic_pointer_cast<SpeechBubble>(picked))
                    gameController_->presentSpeechBubbleEditor(bubble);
            }
            auto figure = std::dynamic_pointer_cast<Hmn>(picked);
            if (doubleTap && figure) {
                enterPoseEditing(figure);
                done = true;
                break;
            }
            if (figure)
                applyPendingColor(figure.get());
            select(picked, p, t);
            done = true;
        }
        if (done)
            break;
    }

    if (!movingSprite_ || movingKind_ == Kind::Figure)
        hideHandle();
    openGesture();
}

void FrameLayer::ccTouchesMoved(const TouchSet& all, TouchEvent*) {
    TouchSet scratch;
    const TouchSet& touches = ownTouches(all, scratch);
    if (touches.empty() || isShotInProgress())
        return;

    if (isPanning_ && !movingSprite_) {
        // Only the panning finger's own movement moves the camera.
        if (contains(touches, movingTouch_)) {
            const Point g1 = screenPoint(movingTouch_->locationInView());
            const Point g0 = screenPoint(movingTouch_->previousLocationInView());
            const Point c = cameraPosition();
            moveCameraTo(Point(c.x + g0.x - g1.x, c.y + g0.y - g1.y));
        }
        return;
    }

    if (!shootingMode_ && movingSprite_) {
        CCSprite& item = *movingSprite_;
        const bool turnable = movingKind_ == Kind::Item;
        if (turnable && contains(touches, rotatingTouch_)) {
            const Point c = item.position();
            const Point p0 = stagePoint(rotatingTouch_->previousLocationInView());
            const Point p1 = stagePoint(rotatingTouch_->locationInView());
            const double swept = std::atan2(double(p1.y) - c.y, double(p1.x) - c.x) -
                                 std::atan2(double(p0.y) - c.y, double(p0.x) - c.x);
            item.setRotation(float(double(item.rotation()) - swept * 180 / std::numbers::pi));
        }
        if (turnable && touches.count() == 2) {
            const float d = distance(screenPoint(touches[0]->locationInView()),
                                     screenPoint(touches[1]->locationInView()));
            const double s =
                double(item.scale()) + (double(d) - touchesInitDistance_) * kResizePerSpread;
            item.setScale(std::clamp(float(s), kMinItemScale, kMaxItemScale));
            touchesInitDistance_ = d;
            wasRotating_ = true;
        }
        if (contains(touches, movingTouch_)) {
            const Point p = stagePointOfTouch(*movingTouch_);
            if (movingKind_ == Kind::Joint) {
                // Marked unsaved at once: an automatic save during the drag must not take
                // the animation for saved (the pose command comes when the finger lifts).
                if (!playing() && movingJoint_) {
                    movingJoint_->moveTo(p, true);
                    if (gameController_)
                        gameController_->setDirty(true);
                }
            } else {
                item.setPosition(p - movingOffset_);
            }
        }
        rotatingControl_->setPosition(heldPosition());
    }

    if (shootingMode_ && shootingWeapon_)
        shootingTouchMoved(touches);
}

void FrameLayer::ccTouchesEnded(const TouchSet& all, TouchEvent*) {
    TouchSet scratch;
    const TouchSet& touches = liftedTouches(all, scratch);
    if (touches.empty())
        return;
    if (isShotInProgress())
        return;
    if (contains(touches, firstTouch_))
        firstTouch_.reset();
    isPanning_ = false;

    // The basket lies on the screen, wherever the camera looks: the drop is a screen point.
    const Point g = screenPoint(touches[0]->locationInView());
    if (!shootingMode_ && movingSprite_ && touches.count() == 1) {
        const Point p = stagePointOfTouch(*touches[0]);
        if (!rotatingControl_->containsPoint(p) && !wasRotating_)
            forgetSelection();
    }
    if (nTouches_ < 1)
        wasRotating_ = false;

    if (inZoom_ && movingSprite_)
        poseTouchEnded();
    if (shootingMode_ && shootingWeapon_) {
        shootingTouchEnded();
        return;
    }
    if (contains(touches, movingTouch_) && selectedItem() && dropOnBasket(g))
        return;
    if (nTouches_ == 0)
        commitGesture();
}

void FrameLayer::ccTouchesCancelled(const TouchSet& all, TouchEvent*) {
    TouchSet scratch;
    const TouchSet& touches = liftedTouches(all, scratch);
    if (touches.empty())
        return;
    if (contains(touches, movingTouch_))
        movingTouch_.reset();
    if (contains(touches, rotatingTouch_))
        rotatingTouch_.reset();
    if (contains(touches, firstTouch_))
        firstTouch_.reset();
    if (nTouches_ == 0)
        commitGesture();
}

// ---------------------------------------------------------------- camera

Point FrameLayer::cameraPosition() const {
    if (!camera_)
        return Point(0, 0);
    float x, y, z;
    camera_->centerX(&x, &y, &z);
    return Point(x, y);
}

void FrameLayer::moveCameraTo(Point p) {
    const float z = CCCamera::getZEye();
    for (CCNode* layer : {static_cast<CCNode*>(this), backgroundLayer_, shadowLayer_}) {
        if (!layer)
            continue;
        layer->camera()->setEyeX(p.x, p.y, z);
        layer->camera()->setCenterX(p.x, p.y, 0);
    }
}

void FrameLayer::moveCameraTo(Point p, bool animated) {
    if (!animated)
        moveCameraTo(p);
    if (izZooming_ || moveCameraTimer_)
        return;
    const Point c = cameraPosition();
    cameraSteps_ = kCameraSteps;
    cameraStepX_ = (c.x - p.x) / kCameraSteps;
    cameraStepY_ = (c.y - p.y) / kCameraSteps;
    cameraTarget_ = p;
    moveCameraTimer_ = stepTimer(&FrameLayer::moveCameraStep);
}

void FrameLayer::moveCameraStep() {
    if (!moveCameraTimer_)
        return;
    --cameraSteps_;
    const Point c = cameraPosition();
    if (cameraSteps_ > 0) {
        moveCameraTo(Point(c.x - cameraStepX_, c.y - cameraStepY_));
        return;
    }
    // The last step lands exactly on the target, whatever the steps added up to.
    moveCameraTo(cameraTarget_);
    moveCameraTimer_->invalidate();
    moveCameraTimer_.reset();
}

void FrameLayer::setScale(float s) {
    ColorLayer::setScale(s);
    if (backgroundLayer_)
        backgroundLayer_->setScale(s);
    if (shadowLayer_)
        shadowLayer_->setScale(s);
}

void FrameLayer::fadeChildren(int step) {
    for (const auto& child : children())
        if (auto* rgba = dynamic_cast<CCRGBAProtocol*>(child.get()))
            rgba->setOpacity(clampedOpacity(int(rgba->opacity()) - step));
}

// ---------------------------------------------------------------- pose editing and shooting

Point FrameLayer::poseCameraTarget(Point body) {
    const Size win = CCDirector::sharedDirector().winSize();
    return Point(body.x + win.width / -6, body.y + win.height / -5);
}

bool FrameLayer::playing() const {
    return gameController_ && gameController_->isPlaying();
}

Joint* FrameLayer::jointAt(Point p) const {
    Joint* grabbed = nullptr;
    for (const auto& child : children()) {
        auto* figure = dynamic_cast<Hmn*>(child.get());
        if (!figure)
            continue;
        // A joint's square is wider than a short limb: the nearest joint under the finger,
        // not the first, so that hands and feet can be grabbed past their elbows and knees.
        Joint* nearest = nullptr;
        float best = 0;
        for (int l = 0; l < Hmn::LimbCount; ++l) {
            JointedSprite* limb = figure->limb(Hmn::Limb(l));
            if (!limb)
                continue;
            for (Joint* j : {limb->headJoint(), limb->tailJoint()}) {
                if (!j || !j->containsPoint(p))
                    continue;
                const float d = distance(j->position(), p);
                if (!nearest || d < best) {
                    nearest = j;
                    best = d;
                }
            }
        }
        if (nearest)
            grabbed = nearest;
    }
    return grabbed;
}

bool FrameLayer::poseTouchBegan(const TouchPtr& touch, Point p, const TouchSet&) {
    // While playing, the frame on the stage is not the one the user looks at: the touch
    // neither grabs a joint nor falls through to move the figure.
    if (playing())
        return true;
    if (Joint* joint = jointAt(p)) {
        // Before selecting: a colour command re-populates the stage, which drops a held joint.
        applyPendingColor(editingHuman_.get());
        selectJoint(joint, p, touch);
        // The handle stays hidden but follows the joint: lifting the finger on it keeps the
        // joint and re-centres the camera.
        showHandle(joint->position());
        hideHandle();
        return true;
    }
    if (movingSprite_ || touch->tapCount() != 2 || izZooming_)
        return false;
    leavePoseEditing();
    return true;
}

void FrameLayer::enterPoseEditing(const std::shared_ptr<Hmn>& figure) {
    if (!figure || inZoom_ || izZooming_ || playing())
        return;
    // Copies of an earlier posed figure keep its tag in other frames; only this one may carry
    // it, or a new frame would find the wrong figure.
    auto untag = [&figure](CCNode* node) {
        if (node->tag() == kPosedTag && node != figure.get())
            node->setTag(0);
    };
    for (const auto& child : children())
        untag(child.get());
    if (gameController_)
        for (const auto& frame : gameController_->animation().frames())
            for (const auto& item : frame->sprites())
                untag(item.get());
    editingHuman_ = figure;
    inZoom_ = true;
    figure->setShowJoints(true);
    figure->setTag(kPosedTag);
    for (const auto& child : children())
        if (auto* h = dynamic_cast<Hmn*>(child.get()))
            h->setShowJoints(true);
    beginEditHuman(poseCameraTarget(figure->body()->position()));
    isPanning_ = false;
}

void FrameLayer::leavePoseEditing() {
    if (!inZoom_ || izZooming_)
        return;
    if (movingSprite_ && movingKind_ == Kind::Joint) {
        commitPoseGesture();
        forgetSelection();
    }
    if (editingHuman_) {
        editingHuman_->setShowJoints(false);
        editingHuman_->setTag(0);
    }
    editingHuman_.reset();
    inZoom_ = false;
    shouldSetHmnColor_ = false;
    for (const auto& child : children())
        if (auto* h = dynamic_cast<Hmn*>(child.get()))
            h->setShowJoints(false);
    endEditHuman(Point(0, 0));
}

void FrameLayer::applyPendingColor(Hmn* figure) {
    if (!shouldSetHmnColor_)
        return;
    shouldSetHmnColor_ = false;
    if (!figure || figure->hmnColor() == hmnColorToSet_)
        return;
    Frame* frame = gameController_ ? gameController_->animation().currentFrame() : nullptr;
    if (!frame || !frame->containsSprite(figure)) {
        figure->setColorWithHmnColor(hmnColorToSet_);
        return;
    }
    gameController_->pushCommand(new FigureColorCommand(
        gameController_->animation(), frame,
        std::static_pointer_cast<Hmn>(figure->shared_from_this()), hmnColorToSet_));
}

void FrameLayer::poseTouchEnded() {
    Point at = movingSprite_->position();
    if (auto* figure =
            movingKind_ == Kind::Joint ? dynamic_cast<Hmn*>(movingSprite_.get()) : nullptr)
        at = figure->body()->position();
    moveCameraTo(poseCameraTarget(at), true);
}

void FrameLayer::openPoseGesture() {
    auto* figure = dynamic_cast<Hmn*>(movingSprite_.get());
    if (!figure || !gameController_ || poseFigure_.get() == figure)
        return;
    commitPoseGesture();
    poseFigure_ = std::static_pointer_cast<Hmn>(figure->shared_from_this());
    poseFrame_ = gameController_->animation().currentFrame();
    poseBefore_ = figure->pose();
}

void FrameLayer::commitPoseGesture() {
    if (!poseFigure_)
        return;
    // Out of the fields first: the command re-populates the stage, which ends gestures.
    std::shared_ptr<Hmn> figure = std::move(poseFigure_);
    poseFigure_.reset();
    Frame* frame = std::exchange(poseFrame_, nullptr);
    if (!gameController_ || figure->parent() != this || !frame ||
        !frame->containsSprite(figure.get()))
        return;
    const Hmn::Pose after = figure->pose();
    if (after == poseBefore_)
        return;
    gameController_->pushCommand(
        new PoseCommand(gameController_->animation(), frame, figure, poseBefore_, after));
}

void FrameLayer::beginEditHuman(Point t) {
    izZooming_ = true;
    isZoomingOut_ = false;
    if (editHumanTimer_)
        return;
    const Point c = cameraPosition();
    steps_ = kZoomSteps;
    zoomStepX_ = (c.x - t.x) / kZoomSteps;
    zoomStepY_ = (c.y - t.y) / kZoomSteps;
    scaleStep_ = kZoomScaleChange / kZoomSteps;
    fadeStep_ = float(kZoomFade) / kZoomSteps;
    startZoomTimer();
    if (gameController_)
        gameController_->beginEditingHuman();
}

void FrameLayer::endEditHuman(Point t) {
    izZooming_ = true;
    isZoomingOut_ = true;
    if (editHumanTimer_)
        return;
    isPanning_ = false;
    const Point c = cameraPosition();
    steps_ = kZoomSteps;
    zoomStepX_ = (c.x - t.x) / kZoomSteps;
    zoomStepY_ = (c.y - t.y) / kZoomSteps;
    scaleStep_ = -kZoomScaleChange / kZoomSteps;
    fadeStep_ = float(-kZoomFade / kZoomSteps);
    startZoomTimer();
    if (gameController_)
        gameController_->endEditingHuman();
}

void FrameLayer::startZoomTimer() {
    editHumanTimer_ = stepTimer(&FrameLayer::editHumanStep);
}

std::shared_ptr<platform::Timer> FrameLayer::stepTimer(void (FrameLayer::*step)(), double seconds) {
    // The timer must not keep a stage alive that its editor let go of.
    std::weak_ptr<CCNode> weak = weak_from_this();
    return platform::Timer::scheduledTimer(seconds, true, [weak, step](platform::Timer& t) {
        if (auto self = std::static_pointer_cast<FrameLayer>(weak.lock()))
            (self.get()->*step)();
        else
            t.invalidate();
    });
}

void FrameLayer::editHumanStep() {
    if (!editHumanTimer_)
        return;
    --steps_;
    const float s = stageScale() + scaleStep_;
    setScale(s);
    // Direct children only: a figure's limbs keep their opacity, so figures stay whole while
    // the props fade. Held within 0 to 255 by fadeChildren.
    fadeChildren(int(fadeStep_));
    rotatingControl_->setOpacity(255);
    rotatingControl_->setScale(1 / s);
    const Point c = cameraPosition();
    moveCameraTo(Point(c.x - zoomStepX_, c.y - zoomStepY_));
    if (steps_ > 0)
        return;
    izZooming_ = false;
    editHumanTimer_->invalidate();
    editHumanTimer_.reset();
    if (isZoomingOut_)
        moveCameraTo(Point(0, 0));
}
