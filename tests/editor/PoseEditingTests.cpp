// Pose editing through the touch dispatcher: the zoom in and out, grabbing and dragging joints,
// the arrows and colours, and finding the posed figure in a new frame.

#include "StageFixture.h"
#include "editor/Catalogue.h"
#include "engine/CCDirector.h"
#include "items/BoundingSprite.h"
#include "items/Hmn.h"
#include "items/Joint.h"
#include "platform/Timer.h"
#include "platform/widgets/ViewAnimation.h"

#include <QTest>

#include <cmath>

namespace {

using A = EditorActions;

double distance(Point a, Point b) {
    return std::hypot(double(a.x) - b.x, double(a.y) - b.y);
}

class PoseTest : public StageTest {
protected:
    std::shared_ptr<Hmn> figure(Point at) {
        auto h = Catalogue::makeFigure();
        h->setPosition(at);
        editor->addSprite(h);
        return h;
    }
    std::shared_ptr<BoundingSprite> box(Point at) {
        auto b = BoundingSprite::spriteWithFile("box.png");
        b->setPosition(at);
        editor->addSprite(b);
        return b;
    }
    Point screenOf(Point p) const {
        const Point c = stage->cameraPosition();
        const float s = stage->stageScale();
        return Point((p.x - c.x) * s, (p.y - c.y) * s);
    }
    // Where a finger at a screen point lands on the stage (touches arrive in whole points).
    Point stageOf(Point screen) const {
        const QPoint v = viewPoint(screen);
        return stage->stagePoint(Point(float(v.x()), float(v.y())));
    }
    // Two quick taps at a screen point, after one far off so that they count from one.
    void doubleTap(Point at) {
        allowDoubleTaps(true);
        tap(Point(470, 310));
        tap(at);
        tap(at);
        allowDoubleTaps(false);
    }
    void runZoom() {
        while (platform::Timer* t = stage->editHumanTimer())
            t->fire();
        platform::finishViewAnimations();
    }
    void runCamera() {
        while (platform::Timer* t = stage->moveCameraTimer())
            t->fire();
    }
    void enter(const Hmn& h) {
        doubleTap(screenOf(h.body()->position()));
        ASSERT_TRUE(stage->inZoom());
        runZoom();
    }
    // A screen point of the stage with no joint under it while posing (the pose controls sit
    // along the bottom edge).
    Point emptyScreenPoint() const {
        for (Point p : {Point(240, 300), Point(40, 200), Point(440, 300), Point(40, 300)})
            if (!stage->jointAt(stageOf(p)))
                return p;
        ADD_FAILURE() << "no empty point";
        return Point();
    }
    void leave() {
        doubleTap(emptyScreenPoint());
        ASSERT_FALSE(stage->inZoom());
        runZoom();
    }
    // A hand or a foot: the joint of a limb that connects to nothing.
    static Joint* extremity(const Hmn& h, Hmn::Limb limb) {
        for (Joint* j : {h.limb(limb)->headJoint(), h.limb(limb)->tailJoint()})
            if (j->connectedJoints().empty())
                return j;
        ADD_FAILURE() << Hmn::limbName(limb) << " has no free end";
        return h.limb(limb)->tailJoint();
    }
    // Turns the camera to show a stage point in the middle of the screen.
    void look(Point p) {
        const float s = stage->stageScale();
        stage->moveCameraTo(Point(p.x - 240 / s, p.y - 160 / s));
    }
    // Every limb as long as its picture makes it, and every articulation in one place.
    static std::string chainFault(const Hmn& h) {
        for (int i = 0; i < Hmn::LimbCount; ++i) {
            const JointedSprite* limb = h.limb(Hmn::Limb(i));
            const double length = 0.8 * limb->contentSize().height * limb->scale();
            const double actual =
                distance(limb->headJoint()->position(), limb->tailJoint()->position());
            if (std::abs(actual - length) > 1e-3)
                return std::string(Hmn::limbName(Hmn::Limb(i))) + " changed its length";
            for (const Joint* j : {limb->headJoint(), limb->tailJoint()})
                for (Joint* k : j->connectedJoints())
                    if (distance(j->position(), k->position()) > 1e-3)
                        return std::string(Hmn::limbName(Hmn::Limb(i))) + " came apart";
        }
        return {};
    }
    void key(Qt::Key k) { QTest::keyClick(editor->view(), k); }
    int undoCount() { return editor->animation().undoStack().count(); }
    bool controlsShown() const {
        for (QAbstractButton* b : editor->humanEditingControls())
            if (b->isHidden())
                return false;
        return editor->humanEditingControls().size() == 13;
    }
};

TEST_F(PoseTest, EnteringZoomsOnTheBodyFadingPropsAndLeavingRestoresTheView) {
    auto prop = box(Point(60, 60));
    auto faint = box(Point(420, 60));
    auto other = figure(Point(100, 250));
    auto h = figure(Point(240, 160));
    faint->setOpacity(10);
    doubleTap(Point(240, 160));
    ASSERT_EQ(stage->editingHuman(), h.get());
    EXPECT_EQ(h->tag(), FrameLayer::kPosedTag);
    EXPECT_TRUE(other->body()->showJoints());
    EXPECT_TRUE(stage->izZooming());
    for (int tick = 1; stage->editHumanTimer(); ++tick) {
        stage->editHumanTimer()->fire();
        EXPECT_FLOAT_EQ(stage->rotatingControl()->scale(), 1 / stage->stageScale()) << tick;
        EXPECT_EQ(stage->rotatingControl()->opacity(), 255) << tick;
        ASSERT_LE(tick, 10);
    }
    platform::finishViewAnimations();
    EXPECT_FLOAT_EQ(stage->stageScale(), 2.8f);
    EXPECT_NEAR(stage->cameraPosition().x, 160, 1e-3);
    EXPECT_NEAR(stage->cameraPosition().y, 96, 1e-3);
    EXPECT_EQ(prop->opacity(), 105);
    EXPECT_EQ(faint->opacity(), 0); // held at 0, not wrapped round to opaque
    EXPECT_EQ(h->body()->opacity(), 255);
    EXPECT_TRUE(controlsShown());
    EXPECT_TRUE(editor->pauseButton()->isHidden());
    EXPECT_TRUE(editor->closeButton()->isHidden());

    // A colour chosen and then a double tap away from the joints: the colour is dropped.
    const hmnColor before = h->hmnColor();
    editor->actions().button(A::Id(A::PoseColor1 + 1))->click();
    EXPECT_TRUE(stage->shouldSetHmnColor());
    leave();
    EXPECT_FALSE(stage->shouldSetHmnColor());
    EXPECT_EQ(h->hmnColor(), before);
    EXPECT_EQ(stage->stageScale(), 0.99999994f); // ten steps of -0.18, not snapped to 1
    EXPECT_EQ(stage->cameraPosition(), Point(0, 0));
    EXPECT_EQ(prop->opacity(), 255);
    EXPECT_EQ(faint->opacity(), 150);
    EXPECT_EQ(stage->editingHuman(), nullptr);
    EXPECT_EQ(h->tag(), 0);
    EXPECT_FALSE(other->body()->showJoints());
    for (QAbstractButton* b : editor->humanEditingControls())
        EXPECT_TRUE(b->isHidden());
    EXPECT_FALSE(editor->pauseButton()->isHidden());
}

TEST_F(PoseTest, ATouchGrabsTheNearestJointUnderItInTheLastFigure) {
    // A joint's square is wider than a forearm: the elbow's square covers the hand.
    for (float windowScale : {1.0f, 2.0f}) {
        SCOPED_TRACE(testing::Message() << "window scale " << windowScale);
        CCDirector::sharedDirector().setContentScaleFactor(windowScale);
        auto h = figure(Point(240, 160));
        enter(*h);
        for (Hmn::Limb limb : {Hmn::LeftArm, Hmn::RightArm, Hmn::LeftLeg, Hmn::RightLeg}) {
            Joint* end = extremity(*h, limb);
            look(end->position());
            const Point at = screenOf(end->position());
            press({{0, at}});
            EXPECT_EQ(stage->movingJoint(), end) << Hmn::limbName(limb);
            release({{0, at}});
        }
        leave();
        editor->removeSprite(h.get());
    }
    CCDirector::sharedDirector().setContentScaleFactor(1);

    // Two figures one on the other: the later one's joint is taken.
    auto lower = figure(Point(240, 160));
    auto upper = figure(Point(240, 160));
    enter(*lower);
    const Point at = screenOf(extremity(*upper, Hmn::LeftArm)->position());
    press({{0, at}});
    Joint* joint = stage->movingJoint();
    ASSERT_NE(joint, nullptr);
    EXPECT_EQ(joint->owner()->parent(), upper.get());
    release({{0, at}});
}

TEST_F(PoseTest, ADraggedHandPullsTheChainAsOneUndoableStepAndTheCameraRecentres) {
    auto h = figure(Point(240, 160));
    enter(*h);
    Joint* hand = extremity(*h, Hmn::LeftArm);
    Joint* elbow =
        hand == h->leftArm()->headJoint() ? h->leftArm()->tailJoint() : h->leftArm()->headJoint();
    const Point elbowBefore = elbow->position();
    const Hmn::Pose before = h->pose();
    const int steps = undoCount();
    const Point from = screenOf(hand->position());
    const Point to(from.x - 60, from.y + 45);
    drag(from, {Point(from.x - 20, from.y + 15), Point(from.x - 40, from.y + 30), to});
    const Point finger = stageOf(to);
    EXPECT_NEAR(hand->position().x, finger.x, 0.5);
    EXPECT_NEAR(hand->position().y, finger.y, 0.5);
    EXPECT_EQ(chainFault(*h), "");
    EXPECT_GT(distance(elbow->position(), elbowBefore), 1);
    const Hmn::Pose after = h->pose();
    ASSERT_EQ(undoCount(), steps + 1);
    // Lifted on the joint: the camera centres the figure again.
    runCamera();
    const Point target = FrameLayer::poseCameraTarget(h->body()->position());
    EXPECT_NEAR(stage->cameraPosition().x, target.x, 1e-3);
    EXPECT_NEAR(stage->cameraPosition().y, target.y, 1e-3);

    editor->undo();
    EXPECT_EQ(h->pose(), before);
    editor->redo();
    EXPECT_EQ(h->pose(), after);
}

TEST_F(PoseTest, WhilePlayingNeitherEnteringNorJointDragsEditTheFrame) {
    auto h = figure(Point(240, 160));
    enter(*h);
    editor->play();
    const Hmn::Pose before = h->pose();
    const int steps = undoCount();
    const Point from = screenOf(extremity(*h, Hmn::LeftArm)->position());
    drag(from, {Point(from.x - 30, from.y + 30)});
    EXPECT_EQ(h->pose(), before);
    EXPECT_EQ(undoCount(), steps);
    editor->stop();
    leave();
    editor->play();
    doubleTap(screenOf(h->body()->position()));
    EXPECT_FALSE(stage->inZoom());
    EXPECT_EQ(stage->editingHuman(), nullptr);
    editor->stop();
}

TEST_F(PoseTest, ArrowsAndColoursAreUndoableStepsAndTheirKeysWorkOnlyWhilePosing) {
    auto h = figure(Point(240, 160));
    // Two frames, the first shown: Right must move the figure, not step to the next frame.
    editor->snap(nullptr);
    editor->prevFrame(nullptr);
    ASSERT_EQ(editor->currentFrameIndex(), 0);
    enter(*h);
    const int steps = undoCount();
    const Point p0 = h->position();
    const Point c0 = stage->cameraPosition();
    key(Qt::Key_Right);
    EXPECT_NEAR(h->position().x, p0.x + 5, 1e-3);
    EXPECT_NEAR(stage->cameraPosition().x, c0.x + 14, 1e-3);
    EXPECT_EQ(editor->currentFrameIndex(), 0);
    key(Qt::Key_Up);
    EXPECT_NEAR(h->position().y, p0.y + 5, 1e-3);
    EXPECT_EQ(undoCount(), steps + 2);
    editor->undo();
    EXPECT_EQ(h->position(), Point(p0.x + 5, p0.y));
    editor->redo();
    EXPECT_NEAR(h->position().y, p0.y + 5, 1e-3);

    // Key 3 chooses the colour of tag 10003; it goes to the figure when a joint is grabbed.
    const hmnColor was = h->hmnColor();
    key(Qt::Key_3);
    EXPECT_TRUE(editor->actions().button(A::Id(A::PoseColor1 + 2))->isChecked());
    EXPECT_EQ(h->hmnColor(), was);
    look(extremity(*h, Hmn::RightLeg)->position());
    tap(screenOf(extremity(*h, Hmn::RightLeg)->position()));
    EXPECT_EQ(h->hmnColor(), GameViewController::colorForTag(10003));
    EXPECT_EQ(h->hmnColor(), hmnColorMake(16, 26, 225));
    EXPECT_EQ(undoCount(), steps + 3);
    editor->undo();
    EXPECT_EQ(h->hmnColor(), was);
    editor->redo();
    EXPECT_EQ(h->hmnColor(), hmnColorMake(16, 26, 225));

    // Not posing: the digits and arrows leave the figure alone; the colour row still works.
    leave();
    const Point p1 = h->position();
    key(Qt::Key_1);
    key(Qt::Key_Up);
    EXPECT_FALSE(stage->shouldSetHmnColor());
    EXPECT_EQ(h->position(), p1);
    editor->actions().button(A::Id(A::PaintColor1 + 1))->click();
    tap(Point(240, 160));
    EXPECT_EQ(h->hmnColor(), hmnColorMake(225, 16, 16));
    EXPECT_EQ(GameViewController::colorForTag(42), hmnColorMake(0, 0, 0));
}

TEST_F(PoseTest, ANewFrameTakenWhilePosingPosesTheCopyOfThePosedFigure) {
    auto a = figure(Point(140, 160));
    auto b = figure(Point(340, 160));
    // A posed once in frame 0 keeps the tag there after its copy in frame 1 was let go.
    enter(*a);
    editor->snap(nullptr);
    leave();
    editor->prevFrame(nullptr);
    ASSERT_EQ(editor->currentFrame()->sprites().front(), a);
    enter(*b);
    editor->snap(nullptr);
    Hmn* posed = stage->editingHuman();
    ASSERT_NE(posed, nullptr);
    EXPECT_NE(posed, b.get());
    EXPECT_TRUE(editor->currentFrame()->containsSprite(posed));
    EXPECT_EQ(posed->position(), b->position());
    int tagged = 0;
    for (const auto& child : stage->children())
        tagged += child->tag() == FrameLayer::kPosedTag;
    EXPECT_EQ(tagged, 1);
}

} // namespace
