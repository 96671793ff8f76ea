#pragma once

#include "document/Commands.h"
#include "engine/CCLayer.h"
#include "engine/CCSprite.h"
#include "engine/CCTouch.h"
#include "items/Hmn.h"

#include <memory>
#include <vector>

class Frame;
class Joint;
class Renderer;
class StageController;
class Weapon;

namespace platform {
class Timer;
}

// The stage: a transparent colour layer whose children are the items of the current frame plus
// its own controls (the rotate handle). It is the stage's touch handler: it selects, drags,
// turns, resizes and deletes items, opens a bubble's text screen on a double tap, and carries
// the camera that the background and onion-skin layers follow. Pose editing and shooting join
// the touch phases at the hooks near the end of this class.
//
// Every edit is one undoable command, pushed when the gesture ends (the last finger lifts): the
// touch moves themselves only change the item, so a drag stays free of allocations.
class FrameLayer : public ColorLayer {
public:
    // A touch this close to the selected item's centre (in screen points) drags it; further out
    // inside the handle it turns it.
    static constexpr float kHandleDragRadius = 20;
    // Two-finger resizing: scale change per 50 screen points of spread, and its limits.
    static constexpr double kResizePerSpread = 0.2 / 50;
    static constexpr float kMinItemScale = 0.3f;
    static constexpr float kMaxItemScale = 2.5f;
    // Above every item.
    static constexpr int kHandleZ = 999999;
    // Animated camera moves: ten steps, 1/30 s apart.
    static constexpr int kCameraSteps = 10;
    static constexpr double kCameraStepSeconds = 1.0 / 30;

    static std::shared_ptr<FrameLayer> layerWithColor(ccColor4B color, float width, float height);
    FrameLayer();
    ~FrameLayer() override;
    bool initWithColor(ccColor4B color, float width, float height) override;

    void ccTouchesBegan(const TouchSet& touches, TouchEvent* event) override;
    void ccTouchesMoved(const TouchSet& touches, TouchEvent* event) override;
    void ccTouchesEnded(const TouchSet& touches, TouchEvent* event) override;
    void ccTouchesCancelled(const TouchSet& touches, TouchEvent* event) override;

    // Before the stage's children change: a gesture in progress is recorded, then the
    // selection, the finger roles and the handle are dropped.
    void frameSwitched();
    // The animation the stage shows is closed, loaded or cleared: animated camera moves and
    // timers stop, the bubble text screen goes, a gesture in progress is dropped unrecorded,
    // and the view returns to the normal one.
    void reset();

    // ---- selection ----
    // The selected item or the figure being moved; none while a joint is held.
    CCSprite* movingSprite() const {
        return movingKind_ == Kind::Joint ? nullptr : movingSprite_.get();
    }
    // While posing, the grabbed joint, or none.
    Joint* movingJoint() const { return movingKind_ == Kind::Joint ? movingJoint_ : nullptr; }
    // What a finger holds on the stage: the selected item, or the figure being moved or whose
    // joint is grabbed.
    CCSprite* heldSprite() const { return movingSprite_.get(); }
    // The selected stage item (not a joint), or none.
    CCSprite* selectedItem() const;
    // Deletes the selected item as a drop on the basket does. False when none is selected.
    bool deleteSelectedItem();
    // The first child that a touch at stage point p picks: unlocked items, bottom first.
    CCSprite* itemAt(Point p) const;
    CCSprite* rotatingControl() const { return rotatingControl_.get(); }
    // The stage's own controls are no items: they survive the stage being re-populated.
    bool isStageControl(const CCNode* node) const { return node == rotatingControl_.get(); }
    // Removes every child but the stage's own controls.
    void removeAllItems();

    int nTouches() const { return nTouches_; }
    bool wasRotating() const { return wasRotating_; }
    bool isPanning() const { return isPanning_; }
    const TouchPtr& movingTouch() const { return movingTouch_; }
    const TouchPtr& rotatingTouch() const { return rotatingTouch_; }

    // ---- points ----
    // A location in the drawing view (origin top-left) as a screen point (origin bottom-left),
    // and as the stage point the camera and scale show there.
    static Point screenPoint(Point viewPoint);
    Point stagePoint(Point viewPoint) const;
    Point stagePointOfTouch(const Touch& touch) const { return stagePoint(touch.locationInView()); }

    // ---- camera ----
    Point cameraPosition() const;
    // Moves the stage's camera and those of the background and onion-skin layers at once.
    void moveCameraTo(Point p);
    // In ten steps 1/30 s apart when animated; a request while a move or a zoom animates is
    // dropped.
    void moveCameraTo(Point p, bool animated);
    void moveCameraStep();
    platform::Timer* moveCameraTimer() const { return moveCameraTimer_.get(); }
    // The stage's scale, and the background's and onion skin's with it.
    void setScale(float s) override;
    float stageScale() const { return scaleX_; }
    // Every child's opacity lowered by `step` (raised when negative), held within 0 to 255:
    // the fades of the pose-editing zoom.
    void fadeChildren(int step);

    // ---- modes ----
    // The figure being posed (tag 111), or none.
    Hmn* editingHuman() const { return editingHuman_.get(); }
    void setEditingHuman(const std::shared_ptr<Hmn>& figure) { editingHuman_ = figure; }
    bool inZoom() const { return inZoom_; }
    void setInZoom(bool v) { inZoom_ = v; }
    bool izZooming() const { return izZooming_; }
    // ---- pose editing ----
    // The tag the posed figure carries, so that it is found again in a new frame.
    static constexpr int kPosedTag = 111;
    // The zoom: ten steps 1/30 s apart, the scale rising by 1.8 and direct children fading by
    // 150 in all.
    static constexpr int kZoomSteps = 10;
    static constexpr float kZoomScaleChange = 1.8f;
    static constexpr int kZoomFade = 150;
    // Where the camera looks for a figure whose body is at `body`: the body near the middle of
    // the zoomed view.
    static Point poseCameraTarget(Point body);
    // Start the zoom in or out towards camera position t; while a zoom runs only the flags
    // change.
    void beginEditHuman(Point t);
    void endEditHuman(Point t);
    void editHumanStep();
    platform::Timer* editHumanTimer() const { return editHumanTimer_.get(); }
    bool isZoomingOut() const { return isZoomingOut_; }
    // Leaves pose editing as a double tap away from the joints does (nothing while zooming or
    // not posing).
    void leavePoseEditing();
    // A colour waiting for the next figure a touch picks or grabs.
    hmnColor hmnColorToSet() const { return hmnColorToSet_; }
    void setHmnColorToSet(hmnColor c) { hmnColorToSet_ = c; }
    bool shouldSetHmnColor() const { return shouldSetHmnColor_; }
    void setShouldSetHmnColor(bool v) { shouldSetHmnColor_ = v; }
    // The joint of the stage's figures a touch at p grabs: in the last figure that has one
    // under p, its nearest joint (limb order decides between equally near ones).
    Joint* jointAt(Point p) const;

    // ---- shooting ----
    // Tags that find the bullets again in every new frame: the first, then one per extra
    // bullet of a machine rifle (778 + bullets already fired).
    static constexpr int kBulletTag = 777;
    static constexpr int kExtraBulletTag = 778;
    // A machine rifle adds a bullet every 7th step while fewer than 5 fly; later bullets trail
    // the one before by as many path points.
    static constexpr int kExtraBulletEvery = 7;
    static constexpr int kMaxBullets = 5;
    static constexpr double kShootingStepSeconds = 1.0 / 60;
    // Path points lie 5 apart; a move of 7 or less is too short to count.
    static constexpr float kPathSpacing = 5;
    static constexpr float kPathSpacingSlack = 0.5f;
    static constexpr float kShortestFilledMove = 7;
    static constexpr int kShurikenTurn = 15;

    bool shootingMode() const { return shootingMode_; }
    // Switching on drops the selection (touches pick weapons now); switching off drops a path
    // being drawn.
    void setShootingMode(bool v);
    // A shot is running: touches only keep the count of fingers.
    bool isShooting() const { return shootingTimer_ != nullptr; }
    // A shot started and has not ended: running, or waiting for the answer to a collision.
    // Frame commands must wait for it.
    bool isShotInProgress() const { return shotFrame_ != nullptr; }
    // The weapon whose path is drawn or whose shot runs, held until the shot ends.
    Weapon* shootingWeapon() const { return shootingWeapon_.get(); }
    const std::vector<Point>& shootingPoints() const { return shootingPoints_; }
    float shootingSteps() const { return shootingSteps_; }
    platform::Timer* shootingTimer() const { return shootingTimer_.get(); }
    // The bullets fired in this shot, in firing order (only their tags are used after the
    // first step).
    const std::vector<std::shared_ptr<CCSprite>>& bulletsQueue() const { return bulletsQueue_; }
    // One step of the running shot: a new frame with every bullet one path point further.
    void shootingStep();
    // The answer to a collision question: 0 goes on, anything else stops the shot.
    void alertViewClickedButtonAtIndex(int index);
    // Questions still to be asked for the hits of the last step (the one shown included).
    int pendingCollisionQuestions() const { return pendingQuestions_; }
    // The turn that points a picture facing right from p0 to p1, in the engine's clockwise
    // degrees, from the whole-point differences (360 rightwards, 270 up, -270 down, 180 left).
    static float bulletAngle(Point p0, Point p1);
    // The path drawn over the items while it is being drawn.
    void visit(Renderer& r) override;

    CCNode* backgroundLayer() const { return backgroundLayer_; }
    void setBackgroundLayer(CCNode* layer) { backgroundLayer_ = layer; }
    CCNode* shadowLayer() const { return shadowLayer_; }
    void setShadowLayer(CCNode* layer) { shadowLayer_ = layer; }
    StageController* gameController() const { return gameController_; }
    void setGameController(StageController* c) { gameController_ = c; }

protected:
    enum class Kind { Item, Figure, Joint };

    // Touches that began inside a shown palette belong to it: the stage ignores them until they
    // end. The set without them (`touches` itself when there are none).
    const TouchSet& ownTouches(const TouchSet& touches, TouchSet& scratch) const;
    // Touches that ended or were cancelled: the palette's are forgotten, the stage's own are
    // counted off and returned.
    const TouchSet& liftedTouches(const TouchSet& touches, TouchSet& scratch);
    void select(const std::shared_ptr<CCSprite>& item, Point p, const TouchPtr& touch);
    void showHandle(Point at);
    void hideHandle();
    void forgetSelection();
    bool dropOnBasket(Point screen);
    void deleteItem(std::shared_ptr<CCSprite> item);

    // A gesture on one item: its placement when it started, recorded as one command when it
    // ends.
    void openGesture();
    void commitGesture();
    void dropGesture();

    // ---- where pose editing and shooting join the touch phases ----
    // A touch while posing: grabs a joint (giving the posed figure a pending colour), or leaves
    // posing on a double tap away from the joints (dropping it). True when it did either, or
    // when playback runs: item selection is then skipped.
    bool poseTouchBegan(const TouchPtr& touch, Point p, const TouchSet& touches);
    // A double tap on a figure outside posing.
    void enterPoseEditing(const std::shared_ptr<Hmn>& figure);
    // A colour chosen for figures, given to the figure a touch picks or grabs.
    void applyPendingColor(Hmn* figure);
    // The finger lifted while posing with something still grabbed: the camera re-centres.
    void poseTouchEnded();
    // In shooting mode: picks the weapon whose firing point is at p. False when none is.
    bool shootingTouchBegan(Point p);
    void shootingTouchMoved(const TouchSet& touches);
    void shootingTouchEnded();
    // The path grows towards stage point p by the spacing rules.
    void extendShootingPath(Point p);
    void startShot();
    // What the bullets may hit: the stage's figures and colliding props as the shot starts.
    void watchCollisions(const Weapon& weapon, const CCNode& bullet);
    void fireExtraBullet(const CCSprite& first);
    void takeShotFrame();
    // Places and turns every bullet of the queue at this step; true when one hit something.
    bool moveBullets();
    bool testCollisions(const CCSprite& bullet);
    void askNextCollisionQuestion();
    // The shot ends: the frames it took become one undoable step and the state is cleared;
    // at the end of its path (or without a bullet) the mode goes off.
    void endShot(bool switchOff);
    // Back to "mode on, no weapon": the path and the held weapon go.
    void dropShootingPath();
    // Mode off and every trace of a shot gone, unrecorded (the animation is being replaced).
    void resetShooting();
    // A joint drag: the figure's pose when the joint was grabbed, recorded as one command when
    // the drag ends.
    void openPoseGesture();
    void startZoomTimer();
    // A repeating timer of the camera's, the zoom's and the shot's steps, holding the stage
    // weakly.
    std::shared_ptr<platform::Timer> stepTimer(void (FrameLayer::*step)(),
                                               double seconds = kCameraStepSeconds);
    // Takes a joint in hand; its figure is held with it, which keeps the joint alive.
    void selectJoint(Joint* joint, Point p, const TouchPtr& touch);
    // Where the held item or joint is.
    Point heldPosition() const;
    void commitPoseGesture();
    bool playing() const;

    std::shared_ptr<Hmn> editingHuman_;
    // With Kind::Joint, movingSprite_ is the grabbed joint's figure.
    std::shared_ptr<CCSprite> movingSprite_;
    Kind movingKind_ = Kind::Item;
    Joint* movingJoint_ = nullptr;
    Point movingOffset_;
    TouchPtr movingTouch_;
    TouchPtr rotatingTouch_;
    TouchPtr firstTouch_;
    std::shared_ptr<Sprite> rotatingControl_;
    bool wasRotating_ = false;
    int nTouches_ = 0;
    float touchesInitDistance_ = 0;
    bool isPanning_ = false;
    std::vector<const Touch*> paletteTouches_;

    bool inZoom_ = false;
    bool izZooming_ = false;
    bool shootingMode_ = false;
    bool isZoomingOut_ = false;
    std::shared_ptr<platform::Timer> editHumanTimer_;
    int steps_ = 0;
    float zoomStepX_ = 0;
    float zoomStepY_ = 0;
    float scaleStep_ = 0;
    float fadeStep_ = 0;
    bool shouldSetHmnColor_ = false;
    hmnColor hmnColorToSet_;
    std::shared_ptr<Hmn> poseFigure_;
    Frame* poseFrame_ = nullptr;
    Hmn::Pose poseBefore_;
    std::shared_ptr<platform::Timer> shootingTimer_;
    std::shared_ptr<Weapon> shootingWeapon_;
    std::vector<Point> shootingPoints_;
    Point lastShootingPoint_;
    float bulletStepX_ = 0;
    float bulletStepY_ = 0;
    float shootingSteps_ = 0;
    std::vector<std::shared_ptr<CCSprite>> bulletsQueue_;
    std::vector<std::shared_ptr<CCNode>> checkForCollision_;
    std::vector<const CCNode*> collisionChecked_;
    int pendingQuestions_ = 0;
    // The frame the shot started on (set exactly while a shot is in progress), the bullets it
    // gave that frame, and the frames the shot took.
    std::shared_ptr<Frame> shotFrame_;
    std::vector<std::shared_ptr<CCSprite>> shotFrameItems_;
    std::vector<std::shared_ptr<Frame>> shotFrames_;

    std::shared_ptr<platform::Timer> moveCameraTimer_;
    int cameraSteps_ = 0;
    float cameraStepX_ = 0;
    float cameraStepY_ = 0;
    Point cameraTarget_;

    std::shared_ptr<CCSprite> gestureItem_;
    Frame* gestureFrame_ = nullptr;
    ItemPlacement gestureBefore_;

    CCNode* backgroundLayer_ = nullptr;
    CCNode* shadowLayer_ = nullptr;
    StageController* gameController_ = nullptr;
};
