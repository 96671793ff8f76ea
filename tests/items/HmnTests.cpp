#include "ItemsTestSupport.h"
#include "engine/CCDirector.h"
#include "engine/CCLayer.h"
#include "engine/Renderer.h"
#include "items/Hmn.h"

#include <QImage>
#include <QPainter>

#include <cmath>
#include <random>
#include <sstream>
#include <string>

namespace {

class HmnTest : public ItemsTest {};

std::vector<Joint*> jointsOf(const Hmn& h) {
    std::vector<Joint*> out;
    for (int i = 0; i < Hmn::LimbCount; ++i) {
        out.push_back(h.limb(Hmn::Limb(i))->headJoint());
        out.push_back(h.limb(Hmn::Limb(i))->tailJoint());
    }
    return out;
}

std::vector<Point> positionsOf(const Hmn& h) {
    std::vector<Point> out;
    for (Joint* j : jointsOf(h))
        out.push_back(j->position());
    return out;
}

bool finite(Point p) {
    return std::isfinite(p.x) && std::isfinite(p.y);
}

double distance(Point a, Point b) {
    return std::hypot(double(a.x) - b.x, double(a.y) - b.y);
}

// The first rule a figure breaks, or empty: every limb 0.8 × picture height × scale long,
// centred between its joints and turned from tail to head; every articulation in one place;
// the figure's position the body's centre; nothing undefined.
std::string poseFault(const Hmn& h, double tolerance = 1e-3) {
    std::ostringstream out;
    for (int i = 0; i < Hmn::LimbCount; ++i) {
        const JointedSprite* limb = h.limb(Hmn::Limb(i));
        const char* name = Hmn::limbName(Hmn::Limb(i));
        const Point head = limb->headJoint()->position();
        const Point tail = limb->tailJoint()->position();
        const Point centre = limb->position();
        if (!finite(head) || !finite(tail) || !finite(centre) || !std::isfinite(limb->rotation())) {
            out << name << ": not a number";
            return out.str();
        }
        const double length = 0.8 * limb->contentSize().height * limb->scale();
        const double actual = distance(head, tail);
        if (std::abs(actual - length) > tolerance) {
            out << name << ": length " << actual << ", expected " << length;
            return out.str();
        }
        const Point mid((head.x + tail.x) / 2, (head.y + tail.y) / 2);
        if (distance(mid, centre) > tolerance) {
            out << name << ": centre off the midpoint by " << distance(mid, centre);
            return out.str();
        }
        // Rotation r turns the picture's upward axis clockwise onto tail → head.
        const double r = limb->rotation() * M_PI / 180;
        const Point turned(float(tail.x + length * std::sin(r)),
                           float(tail.y + length * std::cos(r)));
        if (distance(turned, head) > tolerance * 10) {
            out << name << ": rotation " << limb->rotation() << " does not point at the head joint";
            return out.str();
        }
    }
    for (Joint* j : jointsOf(h))
        for (Joint* k : j->connectedJoints())
            if (!(k->position() == j->position())) {
                out << "an articulation came apart";
                return out.str();
            }
    // Equal, but for the rounding of a whole-figure move's offset.
    if (distance(h.position(), h.body()->position()) > tolerance)
        out << "position is not the body's centre";
    return out.str();
}

TEST_F(HmnTest, DefaultPoseFollowsFromPictureSizes) {
    auto h = Hmn::node();
    ASSERT_TRUE(h);
    EXPECT_EQ(poseFault(*h), "");
    EXPECT_EQ(h->hScale(), 0.0f);
    EXPECT_EQ(h->hmnColor(), hmnColorMake(0, 0, 0));
    EXPECT_TRUE(h->textureName().isNull());
    // The node itself never moves or scales.
    EXPECT_EQ(h->CCNode::position(), Point(0, 0));
    EXPECT_EQ(h->scale(), 1.0f);

    // Limbs are the only children, in drawing order.
    const Hmn::Limb order[] = {Hmn::Head,     Hmn::Body,         Hmn::LeftForearm, Hmn::LeftArm,
                               Hmn::RightArm, Hmn::RightForearm, Hmn::RightHip,    Hmn::RightLeg,
                               Hmn::LeftHip,  Hmn::LeftLeg};
    ASSERT_EQ(h->children().size(), 10u);
    for (int i = 0; i < 10; ++i)
        EXPECT_EQ(h->children()[i].get(), h->limb(order[i])) << i;
    EXPECT_EQ(h->body()->delegate(), h.get());
    EXPECT_EQ(h->head()->delegate(), nullptr);

    // Fixture sizes: body 20 × 100, head 40 × 40, arm 10 × 50. The neck stays where the head's
    // lower end was, (0, 5); the crown stands upright one head length (32) above it.
    const Point neck = h->head()->tailJoint()->position();
    EXPECT_EQ(neck, Point(0, 5));
    EXPECT_NEAR(h->head()->headJoint()->position().x, 0, 1e-4);
    EXPECT_NEAR(h->head()->headJoint()->position().y, 37, 1e-4);
    // The body hangs straight down from the neck: 80 long, centre (0, -35).
    EXPECT_NEAR(h->body()->tailJoint()->position().y, -75, 1e-4);
    EXPECT_NEAR(h->position().y, -35, 1e-4);
    EXPECT_EQ(h->contentSize(), Size(50, float(100 / 1.8)));
    // The upper left arm was placed at (-20, -30), its lower end at (-20, -55); the right one at
    // (20, -20), half a width up, its lower end at (20, -45). Each now points there from the
    // neck, 40 long.
    auto towards = [&](Point from, Point to, double length) {
        const double d = distance(from, to);
        return Point(float(from.x + (to.x - from.x) * length / d),
                     float(from.y + (to.y - from.y) * length / d));
    };
    const Point leftElbow = towards(neck, Point(-20, -55), 40);
    const Point rightElbow = towards(neck, Point(20, -45), 40);
    EXPECT_NEAR(h->leftForearm()->tailJoint()->position().x, leftElbow.x, 1e-4);
    EXPECT_NEAR(h->leftForearm()->tailJoint()->position().y, leftElbow.y, 1e-4);
    EXPECT_NEAR(h->rightForearm()->tailJoint()->position().x, rightElbow.x, 1e-4);
    EXPECT_NEAR(h->rightForearm()->tailJoint()->position().y, rightElbow.y, 1e-4);
}

TEST_F(HmnTest, ConnectionsFormTheArticulationsInConnectionOrder) {
    auto h = Hmn::node();
    ASSERT_TRUE(h);
    using V = std::vector<Joint*>;
    Joint* neck = h->head()->tailJoint();
    EXPECT_EQ(neck->connectedJoints(), (V{h->body()->headJoint(), h->leftForearm()->headJoint(),
                                          h->rightForearm()->headJoint()}));
    EXPECT_EQ(h->leftForearm()->headJoint()->connectedJoints(),
              (V{h->body()->headJoint(), neck, h->rightForearm()->headJoint()}));
    EXPECT_EQ(h->body()->tailJoint()->connectedJoints(),
              (V{h->rightHip()->headJoint(), h->leftHip()->headJoint()}));
    EXPECT_EQ(h->leftArm()->headJoint()->connectedJoints(), (V{h->leftForearm()->tailJoint()}));
    for (Joint* freeEnd :
         {h->head()->headJoint(), h->leftArm()->tailJoint(), h->rightArm()->tailJoint(),
          h->leftLeg()->tailJoint(), h->rightLeg()->tailJoint()})
        EXPECT_TRUE(freeEnd->connectedJoints().empty());
    for (int i = 0; i < Hmn::LimbCount; ++i) {
        JointedSprite* limb = h->limb(Hmn::Limb(i));
        EXPECT_EQ(limb->headJoint()->owner(), limb);
        EXPECT_EQ(limb->headJoint()->pairJoint(), limb->tailJoint());
        EXPECT_EQ(limb->tailJoint()->pairJoint(), limb->headJoint());
        EXPECT_EQ(limb->headJoint()->scale(), 0.6f);
    }
    // Connecting again changes nothing.
    neck->connectTo(h->body()->headJoint());
    EXPECT_EQ(neck->connectedJoints().size(), 3u);
    EXPECT_EQ(h->body()->headJoint()->connectedJoints().size(), 3u);
}

// A figure never joins more than four joints, but loose joints may: the list grows past what it
// holds in place and comes back, in order, as connections go.
TEST_F(HmnTest, AnArticulationOfManyJointsKeepsItsOrderThroughGrowingAndShrinking) {
    std::vector<std::unique_ptr<Joint>> js;
    for (int i = 0; i < 7; ++i)
        js.push_back(Joint::joint());
    ASSERT_TRUE(js.back());
    using V = std::vector<Joint*>;
    Joint* hub = js[0].get();
    for (size_t i = 1; i < js.size(); ++i)
        hub->connectTo(js[i].get());
    EXPECT_EQ(hub->connectedJoints(),
              (V{js[1].get(), js[2].get(), js[3].get(), js[4].get(), js[5].get(), js[6].get()}));
    js[2]->breakConnections();
    js[5]->breakConnections();
    EXPECT_EQ(hub->connectedJoints(), (V{js[1].get(), js[3].get(), js[4].get(), js[6].get()}));
    js[1].reset(); // a joint going away leaves every list it was in
    EXPECT_EQ(hub->connectedJoints(), (V{js[3].get(), js[4].get(), js[6].get()}));
    hub->connectTo(js[2].get());
    EXPECT_EQ(hub->connectedJoints(), (V{js[3].get(), js[4].get(), js[6].get(), js[2].get()}));
    EXPECT_EQ(js[2]->connectedJoints(), (V{hub}));
    hub->breakConnections();
    EXPECT_TRUE(hub->connectedJoints().empty());
    EXPECT_TRUE(js[3]->connectedJoints().empty());
}

// Thousands of seeded drags of any joint, some dropped exactly onto the joint's pair, on
// figures of several scales; the figure must stay a figure after every one.
void dragAtRandom(Hmn& h, std::mt19937& rng, int moves) {
    std::uniform_int_distribution<int> pick(0, 19);
    std::uniform_real_distribution<float> offset(-250, 250);
    std::uniform_int_distribution<int> kind(0, 19);
    const std::vector<Joint*> joints = jointsOf(h);
    for (int m = 0; m < moves; ++m) {
        Joint* j = joints[size_t(pick(rng))];
        Point target = j->position() + Point(offset(rng), offset(rng));
        const int k = kind(rng);
        if (k == 0)
            target = j->pairJoint()->position(); // dropped onto its pair
        else if (k == 1)
            target = j->position(); // held still
        j->moveTo(target, true);
        ASSERT_EQ(j->position(), target) << "move " << m;
        const std::string fault = poseFault(h);
        ASSERT_EQ(fault, "") << "move " << m;
    }
}

TEST_F(HmnTest, RandomDragsKeepEveryLimbRigid) {
    std::mt19937 rng(20240611);
    for (float scale : {0.3f, 0.5f, 1.0f, 1.7f}) {
        SCOPED_TRACE(scale);
        auto h = Hmn::node();
        ASSERT_TRUE(h);
        h->setScale(scale);
        h->setPosition(Point(240, 160));
        dragAtRandom(*h, rng, 1000);
        // Whole-figure operations in between keep it too.
        h->setPosition(Point(100, 80));
        EXPECT_EQ(poseFault(*h), "");
        h->setScale(scale * 0.8f);
        EXPECT_EQ(poseFault(*h), "");
        dragAtRandom(*h, rng, 250);
    }
}

TEST_F(HmnTest, RandomDragsOnTheProgramsOwnPictures) {
    const QString own = programResources();
    if (own.isEmpty())
        GTEST_SKIP() << "the program's pictures are not rendered";
    useResources(own);
    std::mt19937 rng(7);
    for (float scale : {0.3f, 1.0f}) {
        auto h = Hmn::node();
        ASSERT_TRUE(h);
        EXPECT_EQ(poseFault(*h), "");
        h->setScale(scale);
        dragAtRandom(*h, rng, 500);
    }
}

TEST_F(HmnTest, JointDroppedOntoItsPairKeepsTheLimbsDirection) {
    auto h = Hmn::node();
    ASSERT_TRUE(h);
    h->setScale(1);
    JointedSprite* arm = h->leftArm();
    const float before = arm->rotation();
    const Point elbow = arm->headJoint()->position();
    arm->tailJoint()->moveTo(elbow, true);
    EXPECT_EQ(poseFault(*h), "");
    EXPECT_NEAR(std::remainder(arm->rotation() - before, 360.0f), 0, 1e-3);
    EXPECT_EQ(arm->tailJoint()->position(), elbow);
    // Also when every joint sits in one place, as in a record without joint keys.
    auto lone = JointedSprite::spriteWithFile("arm.png");
    ASSERT_TRUE(lone);
    lone->tailJoint()->setPosition(Point(3, 3));
    lone->headJoint()->setPosition(Point(3, 3));
    lone->headJoint()->moveTo(Point(3, 3), true);
    EXPECT_NEAR(lone->tailJoint()->position().x, 3, 1e-4);
    EXPECT_NEAR(lone->tailJoint()->position().y, -37, 1e-4);
    EXPECT_NEAR(std::remainder(lone->rotation(), 360.0f), 0, 1e-4);
}

TEST_F(HmnTest, DraggingAHandTowsTheWholeFigure) {
    auto h = Hmn::node();
    ASSERT_TRUE(h);
    h->setScale(1);
    h->setPosition(Point(240, 160));
    const std::vector<Point> before = positionsOf(*h);
    Joint* hand = h->leftArm()->tailJoint();
    const Point target = hand->position() + Point(-100, 0);
    hand->moveTo(target, true);
    EXPECT_EQ(hand->position(), target);
    const std::vector<Point> after = positionsOf(*h);
    for (size_t i = 0; i < after.size(); ++i)
        EXPECT_FALSE(after[i] == before[i]) << "joint " << i << " stayed";
    EXPECT_EQ(poseFault(*h), "");
}

TEST_F(HmnTest, DraggingTheCrownPullsTheNeckAlongTheLineToIt) {
    auto h = Hmn::node();
    ASSERT_TRUE(h);
    h->setScale(1);
    const Point neck = h->head()->tailJoint()->position();
    const Point finger(60, 90);
    h->head()->headJoint()->moveTo(finger, true);
    EXPECT_EQ(h->head()->headJoint()->position(), finger);
    const double d = distance(finger, neck);
    const Point expected(float(finger.x + (neck.x - finger.x) * 32 / d),
                         float(finger.y + (neck.y - finger.y) * 32 / d));
    const Point now = h->head()->tailJoint()->position();
    EXPECT_NEAR(now.x, expected.x, 1e-4);
    EXPECT_NEAR(now.y, expected.y, 1e-4);
    EXPECT_EQ(h->body()->headJoint()->position(), now);
    EXPECT_EQ(poseFault(*h), "");
}

TEST_F(HmnTest, VerticalLimbRotationIsZeroByTailAndMinus360ByHead) {
    auto limb = JointedSprite::spriteWithFile("arm.png");
    ASSERT_TRUE(limb);
    limb->tailJoint()->moveTo(Point(0, -60), true);
    EXPECT_NEAR(limb->rotation(), 0, 1e-4);
    limb->headJoint()->moveTo(Point(0, 10), true);
    EXPECT_NEAR(limb->rotation(), -360, 1e-4);
    // Pointing right: the head level with the tail (0, -30), to its right.
    limb->headJoint()->moveTo(Point(50, -30), true);
    EXPECT_NEAR(std::remainder(limb->rotation(), 360.0f), 90, 1e-3);
}

TEST_F(HmnTest, RefreshingARefreshedFigureChangesNothing) {
    auto h = Hmn::node();
    ASSERT_TRUE(h);
    h->setScale(0.3f);
    h->setPosition(Point(240, 160));
    h->rightArm()->tailJoint()->moveTo(Point(300, 200), true);
    h->leftLeg()->tailJoint()->moveTo(Point(200, 90), true);
    h->refreshJoints();
    const std::vector<Point> before = positionsOf(*h);
    h->refreshJoints();
    EXPECT_EQ(positionsOf(*h), before);
}

TEST_F(HmnTest, ScaleShortensLimbsAndStandsTheHeadUp) {
    auto h = Hmn::node();
    ASSERT_TRUE(h);
    h->setScale(1);
    h->head()->headJoint()->moveTo(Point(40, 30), true); // tilt the head
    h->setScale(0.3f);
    EXPECT_EQ(h->hScale(), 0.3f);
    EXPECT_EQ(poseFault(*h), "");
    for (int i = 0; i < Hmn::LimbCount; ++i) {
        const JointedSprite* limb = h->limb(Hmn::Limb(i));
        EXPECT_NEAR(distance(limb->headJoint()->position(), limb->tailJoint()->position()),
                    0.8 * limb->contentSize().height * 0.3, 1e-4);
    }
    const Point crown = h->head()->headJoint()->position();
    const Point neck = h->head()->tailJoint()->position();
    EXPECT_NEAR(crown.x, neck.x, 1e-4);
    EXPECT_GT(crown.y, neck.y);
}

TEST_F(HmnTest, PositionMovesEveryJointAndFollowsTheBody) {
    auto h = Hmn::node();
    ASSERT_TRUE(h);
    h->setScale(0.5f);
    const std::vector<Point> before = positionsOf(*h);
    const Point from = h->position();
    h->setPosition(Point(240, 160));
    EXPECT_EQ(h->position(), Point(240, 160));
    const Point offset = Point(240, 160) - from;
    const std::vector<Point> after = positionsOf(*h);
    for (size_t i = 0; i < after.size(); ++i) {
        EXPECT_NEAR(after[i].x, before[i].x + offset.x, 1e-3);
        EXPECT_NEAR(after[i].y, before[i].y + offset.y, 1e-3);
    }
    EXPECT_EQ(h->CCNode::position(), Point(0, 0));
    EXPECT_EQ(poseFault(*h), "");
    // Moving the body's joints moves the figure's position with it.
    h->body()->tailJoint()->moveTo(Point(250, 100), true);
    EXPECT_EQ(h->position(), h->body()->position());
}

TEST_F(HmnTest, HitTestUsesUnrotatedLimbPicturesNotJoints) {
    auto h = Hmn::node();
    ASSERT_TRUE(h);
    h->setScale(1);
    h->setPosition(Point(240, 160));
    EXPECT_TRUE(h->containsPoint(h->body()->position()));
    EXPECT_FALSE(h->containsPoint(Point(0, 0)));
    // Pull the lower left arm out to the left, level with the elbow.
    Joint* hand = h->leftArm()->tailJoint();
    const Point elbow = h->leftArm()->headJoint()->position();
    hand->moveTo(elbow + Point(-100, 0), true);
    EXPECT_NEAR(h->leftArm()->headJoint()->position().x, elbow.x - 60, 1e-4);
    // Tail to head points right: a quarter turn clockwise.
    EXPECT_NEAR(std::remainder(h->leftArm()->rotation(), 360.0f), 90, 1e-3);
    EXPECT_TRUE(hand->containsPoint(hand->position()));
    EXPECT_FALSE(h->containsPoint(hand->position()));
    EXPECT_TRUE(h->containsPoint(h->leftArm()->position()));
}

TEST_F(HmnTest, JointHitAreaGrowsWithTheContentScaleFactor) {
    auto j = Joint::joint();
    ASSERT_TRUE(j);
    j->setPosition(Point(100, 100)); // a 20 × 20 picture, shown at 0.6
    EXPECT_TRUE(j->containsPoint(Point(88, 88)));
    EXPECT_TRUE(j->containsPoint(Point(111.9f, 111.9f)));
    EXPECT_FALSE(j->containsPoint(Point(112, 100)));
    CCDirector::sharedDirector().setContentScaleFactor(2);
    EXPECT_TRUE(j->containsPoint(Point(76, 123.9f)));
    EXPECT_FALSE(j->containsPoint(Point(124, 100)));
    CCDirector::sharedDirector().setContentScaleFactor(1);
}

TEST_F(HmnTest, ColourTintsLimbs) {
    auto h = Hmn::node();
    ASSERT_TRUE(h);
    h->setColorWithRed(10, 20, 30);
    EXPECT_EQ(h->hmnColor(), hmnColorMake(10, 20, 30));
    for (int i = 0; i < Hmn::LimbCount; ++i)
        EXPECT_EQ(h->limb(Hmn::Limb(i))->color(), (ccColor3B{10, 20, 30}));
    h->setShowJoints(true);
    for (int i = 0; i < Hmn::LimbCount; ++i)
        EXPECT_TRUE(h->limb(Hmn::Limb(i))->showJoints());
}

TEST_F(HmnTest, CopyHasTheSamePoseColourTagAndScale) {
    auto h = Hmn::node();
    ASSERT_TRUE(h);
    h->setScale(0.3f);
    h->setPosition(Point(240, 160));
    h->leftArm()->tailJoint()->moveTo(Point(180, 200), true);
    h->rightLeg()->tailJoint()->moveTo(Point(270, 100), true);
    h->setColorWithHmnColor(hmnColorMake(200, 10, 99));
    h->setTag(111);
    h->setLocked(true);
    auto layer = Layer::node();
    layer->addChild(h);

    auto copy = std::dynamic_pointer_cast<Hmn>(h->copy());
    ASSERT_TRUE(copy);
    EXPECT_NE(copy, h);
    EXPECT_EQ(copy->parent(), nullptr);
    EXPECT_TRUE(copy->locked());
    EXPECT_EQ(copy->tag(), 111);
    EXPECT_EQ(copy->hScale(), 0.3f);
    EXPECT_EQ(copy->hmnColor(), hmnColorMake(200, 10, 99));
    EXPECT_EQ(copy->position(), h->position());
    const std::vector<Point> a = positionsOf(*h), b = positionsOf(*copy);
    for (size_t i = 0; i < a.size(); ++i) {
        EXPECT_NEAR(a[i].x, b[i].x, 1e-4) << i;
        EXPECT_NEAR(a[i].y, b[i].y, 1e-4) << i;
    }
    EXPECT_NE(copy->head(), h->head());
    EXPECT_EQ(poseFault(*copy), "");
    // Posing the copy leaves the source alone.
    copy->leftArm()->tailJoint()->moveTo(Point(0, 0), true);
    EXPECT_EQ(positionsOf(*h), a);
}

TEST_F(HmnTest, DictionaryHoldsFortyEightKeysAndRebuildsThePose) {
    auto h = Hmn::node();
    ASSERT_TRUE(h);
    h->setScale(0.5f);
    h->setPosition(Point(200, 150));
    h->rightArm()->tailJoint()->moveTo(Point(260, 190), true);
    h->setColorWithRed(1, 2, 3);
    h->setRotation(12);
    h->setLocked(true);

    const QVariantMap d = h->serialize();
    EXPECT_EQ(d.size(), 48);
    EXPECT_EQ(d.value("className").toString(), "Hmn");
    EXPECT_FALSE(d.contains("textureName"));
    EXPECT_EQ(d.value("scale").typeId(), QMetaType::Float);
    EXPECT_EQ(d.value("scale").toFloat(), 0.5f);
    EXPECT_EQ(d.value("rotation").toFloat(), 12.0f);
    EXPECT_EQ(d.value("position.x").toFloat(), h->position().x);
    EXPECT_EQ(d.value("colorGreen").typeId(), QMetaType::Int);
    EXPECT_EQ(d.value("colorGreen").toInt(), 2);
    EXPECT_EQ(d.value("rightArm.tail.x").toFloat(), 260.0f);
    EXPECT_EQ(d.value("leftForearm.head.y").toFloat(), h->leftForearm()->headJoint()->position().y);
    EXPECT_TRUE(d.contains("body.tail.x") && d.contains("leftLeg.head.y"));

    auto back = Hmn::unserialize(d);
    ASSERT_TRUE(back);
    EXPECT_FALSE(back->locked());
    EXPECT_EQ(back->hScale(), 0.5f);
    EXPECT_EQ(back->rotation(), 12.0f);
    EXPECT_EQ(back->hmnColor(), hmnColorMake(1, 2, 3));
    const std::vector<Point> a = positionsOf(*h), b = positionsOf(*back);
    for (size_t i = 0; i < a.size(); ++i) {
        EXPECT_NEAR(a[i].x, b[i].x, 1e-4) << i;
        EXPECT_NEAR(a[i].y, b[i].y, 1e-4) << i;
    }
    EXPECT_NEAR(back->position().x, h->position().x, 1e-4);
    EXPECT_EQ(poseFault(*back), "");
}

TEST_F(HmnTest, StoredJointsAreCorrectedAlongTheirDirections) {
    auto h = Hmn::node();
    ASSERT_TRUE(h);
    h->setScale(1);
    QVariantMap d = h->serialize();
    // Put the crown three head lengths from the neck, straight to its right.
    const float nx = d.value("head.tail.x").toFloat(), ny = d.value("head.tail.y").toFloat();
    d.insert("head.head.x", QVariant(nx + 96));
    d.insert("head.head.y", QVariant(ny));
    auto back = Hmn::unserialize(d);
    ASSERT_TRUE(back);
    EXPECT_NEAR(back->head()->headJoint()->position().x, nx + 32, 1e-4);
    EXPECT_NEAR(back->head()->headJoint()->position().y, ny, 1e-4);

    // Without joint keys every joint starts at the origin; the figure still comes out whole.
    QVariantMap bare;
    bare.insert("className", "Hmn");
    bare.insert("scale", QVariant(0.3f));
    auto figure = Hmn::unserialize(bare);
    ASSERT_TRUE(figure);
    EXPECT_EQ(poseFault(*figure), "");
    EXPECT_EQ(figure->head()->tailJoint()->position(), Point(0, 0));
}

TEST_F(HmnTest, BreakConnectionsLeavesNoJointReferringToAnother) {
    auto h = Hmn::node();
    ASSERT_TRUE(h);
    const std::vector<Joint*> joints = jointsOf(*h);
    h->body()->setDelegate(nullptr);
    h->breakConnections();
    for (Joint* j : joints) {
        EXPECT_EQ(j->owner(), nullptr);
        EXPECT_EQ(j->pairJoint(), nullptr);
        EXPECT_TRUE(j->connectedJoints().empty());
    }
    // A torn-down joint just goes where it is moved.
    joints[0]->moveTo(Point(5, 6), true);
    EXPECT_EQ(joints[0]->position(), Point(5, 6));
}

TEST_F(HmnTest, LimbOutlivingItsFigureHoldsNoDanglingLinks) {
    std::shared_ptr<CCNode> arm;
    {
        auto h = Hmn::node();
        ASSERT_TRUE(h);
        arm = h->children()[3];
        h->removeChild(arm.get(), true);
    }
    auto* limb = static_cast<JointedSprite*>(arm.get());
    EXPECT_TRUE(limb->headJoint()->connectedJoints().empty());
    limb->tailJoint()->moveTo(Point(50, 50), true); // must not reach the discarded figure
    EXPECT_EQ(limb->tailJoint()->position(), Point(50, 50));
}

// Records the blending in force when it is drawn.
class BlendProbe : public CCNode {
public:
    void draw(Renderer& r) override {
        src = r.blendSrc();
        dst = r.blendDst();
    }
    BlendFactor src = BlendFactor::SrcAlpha;
    BlendFactor dst = BlendFactor::SrcAlpha;
};

TEST_F(HmnTest, DrawsLimbsPremultipliedAndJointsOnTopOfTheirLimb) {
    auto h = Hmn::node();
    ASSERT_TRUE(h);
    h->setScale(1);
    h->setPosition(Point(100, 100));
    h->setColorWithRed(0, 0, 255);
    auto probe = std::make_shared<BlendProbe>();
    h->addChild(probe);

    auto render = [&] {
        QImage image(200, 200, QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::white);
        QPainter painter(&image);
        Renderer r(painter, Size(200, 200), 1);
        r.setBlendFunc(BlendFactor::One, BlendFactor::One);
        h->visit(r);
        EXPECT_EQ(r.blendSrc(), BlendFactor::SrcAlpha);
        EXPECT_EQ(r.blendDst(), BlendFactor::OneMinusSrcAlpha);
        return image;
    };
    // The crown is a free end: only the head limb and its joint are there.
    const Point crown = h->head()->headJoint()->position();
    auto pixel = [&](const QImage& img, Point p) {
        return QColor(img.pixel(int(p.x), int(200 - p.y)));
    };
    QImage plain = render();
    EXPECT_EQ(probe->src, BlendFactor::One);
    EXPECT_EQ(probe->dst, BlendFactor::OneMinusSrcAlpha);
    // The limb, tinted blue.
    const QColor limb = pixel(plain, crown);
    EXPECT_EQ(limb.red(), 0);
    EXPECT_EQ(limb.green(), 0);
    EXPECT_GT(limb.blue(), 0);
    h->setShowJoints(true);
    const QColor joint = pixel(render(), crown);
    EXPECT_NE(joint, limb);
    EXPECT_NE(joint, QColor(Qt::white));
    // A hidden limb hides its joints too.
    h->head()->setVisible(false);
    EXPECT_EQ(pixel(render(), crown), QColor(Qt::white));
}

} // namespace
