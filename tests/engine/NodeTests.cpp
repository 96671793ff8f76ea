#include "EngineFixtures.h"
#include "base/Exception.h"
#include "engine/CCCamera.h"
#include "engine/CCDirector.h"
#include "engine/CCLayer.h"
#include "engine/CCScene.h"
#include "engine/CCSprite.h"

#include <gtest/gtest.h>

namespace {

void expectNear(Point a, Point b, float eps = 1e-3f) {
    EXPECT_NEAR(a.x, b.x, eps);
    EXPECT_NEAR(a.y, b.y, eps);
}

template <class F> std::string contractMessage(F&& f) {
    try {
        f();
    } catch (const ContractFailure& e) {
        return e.what();
    }
    return "(no failure)";
}

class NodeTest : public ::testing::Test {
protected:
    void SetUp() override { resetEngine(); }
};

TEST_F(NodeTest, InitialValues) {
    auto n = CCNode::node();
    EXPECT_EQ(n->position(), Point(0, 0));
    EXPECT_EQ(n->anchorPoint(), Point(0, 0));
    EXPECT_EQ(n->contentSize(), Size(0, 0));
    EXPECT_EQ(n->rotation(), 0);
    EXPECT_EQ(n->scale(), 1);
    EXPECT_TRUE(n->isRelativeAnchorPoint());
    EXPECT_TRUE(n->visible());
    EXPECT_EQ(n->tag(), -1);
    EXPECT_EQ(n->zOrder(), 0);
    EXPECT_EQ(n->vertexZ(), 0);
    EXPECT_EQ(n->parent(), nullptr);
    EXPECT_TRUE(n->children().empty());
    EXPECT_EQ(n->userData(), nullptr);
    EXPECT_FALSE(n->hasCamera());
    float x, y, z;
    n->camera()->eyeX(&x, &y, &z);
    EXPECT_EQ(x, 0);
    EXPECT_EQ(y, 0);
    EXPECT_FLOAT_EQ(z, 1.1920929e-07f);

    auto s = Sprite::sprite();
    EXPECT_EQ(s->anchorPoint(), Point(0.5f, 0.5f));
    EXPECT_EQ(s->opacity(), 255);
    EXPECT_EQ(s->color(), ccWHITE);
    EXPECT_TRUE(s->doesOpacityModifyRGB());
    EXPECT_TRUE(s->textureName().isNull());

    auto l = Layer::node();
    EXPECT_EQ(l->contentSize(), Size(480, 320));
    EXPECT_FALSE(l->isRelativeAnchorPoint());
    EXPECT_EQ(l->anchorPoint(), Point(0.5f, 0.5f));
    EXPECT_FALSE(l->isTouchEnabled());
}

TEST_F(NodeTest, TransformAppliesAnchorPositionRotationScaleInOrder) {
    auto n = CCNode::node();
    n->setContentSize(Size(40, 20));
    n->setAnchorPoint(Point(0.5f, 0.5f));
    n->setPosition(Point(100, 50));
    n->setRotation(90);
    n->setScale(2);
    // Top-right corner: 20,10 from the anchor, doubled, turned clockwise, then placed.
    expectNear(n->convertToWorldSpace(Point(40, 20)), Point(120, 10));
    expectNear(n->convertToWorldSpace(Point(20, 10)), Point(100, 50));

    // A positive rotation turns clockwise on screen (y up).
    auto r = CCNode::node();
    r->setRotation(90);
    expectNear(r->convertToWorldSpace(Point(1, 0)), Point(0, -1));

    // Non-relative anchor: the node is placed by its lower-left corner, scaled about the anchor.
    auto layer = CCNode::node();
    layer->setContentSize(Size(480, 320));
    layer->setAnchorPoint(Point(0.5f, 0.5f));
    layer->setIsRelativeAnchorPoint(false);
    layer->setPosition(Point(10, 20));
    expectNear(layer->convertToWorldSpace(Point(0, 0)), Point(10, 20));
    layer->setScale(2);
    expectNear(layer->convertToWorldSpace(Point(0, 0)), Point(-230, -140));
    expectNear(layer->convertToWorldSpace(Point(240, 160)), Point(250, 180));

    // Separate x and y scales.
    auto s = CCNode::node();
    s->setScaleX(2);
    s->setScaleY(3);
    expectNear(s->convertToWorldSpace(Point(1, 1)), Point(2, 3));
}

TEST_F(NodeTest, BoundingBoxOfRotatedSpriteSwapsSidesButHitTestDoesNot) {
    const QString dir = makePictureFolder("gun.png", 40, 20, Qt::red);
    auto s = Sprite::spriteWithFile(dir + "/gun.png");
    ASSERT_TRUE(s);
    s->setPosition(Point(100, 100));
    s->setRotation(90);
    const Rect bb = s->boundingBox();
    EXPECT_NEAR(bb.origin.x, 90, 1e-3);
    EXPECT_NEAR(bb.origin.y, 80, 1e-3);
    EXPECT_NEAR(bb.size.width, 20, 1e-3);
    EXPECT_NEAR(bb.size.height, 40, 1e-3);
    // The hit test ignores rotation: the unrotated 40 × 20 rectangle around the centre.
    EXPECT_TRUE(s->containsPoint(Point(115, 100)));
    EXPECT_FALSE(s->containsPoint(Point(100, 115)));
    // Left and bottom edges in, right and top out.
    EXPECT_TRUE(s->containsPoint(Point(80, 90)));
    EXPECT_FALSE(s->containsPoint(Point(120, 100)));
    EXPECT_FALSE(s->containsPoint(Point(100, 110)));
    // Scale is ignored too.
    s->setScale(3);
    EXPECT_FALSE(s->containsPoint(Point(125, 100)));
}

TEST_F(NodeTest, HitTestShiftsByLayerParentOnly) {
    const QString dir = makePictureFolder("p.png", 10, 10, Qt::red);
    auto s = Sprite::spriteWithFile(dir + "/p.png");
    s->setPosition(Point(50, 50));
    auto layer = Layer::node();
    layer->setPosition(Point(100, 0));
    layer->addChild(s);
    EXPECT_TRUE(s->containsPoint(Point(150, 50)));
    EXPECT_FALSE(s->containsPoint(Point(50, 50)));
    layer->removeChild(s.get(), true);
    auto plain = CCNode::node();
    plain->setPosition(Point(100, 0));
    plain->addChild(s);
    EXPECT_TRUE(s->containsPoint(Point(50, 50)));
}

TEST_F(NodeTest, ConversionsRoundTripThroughNestedNodes) {
    auto a = CCNode::node();
    a->setPosition(Point(10, 20));
    a->setRotation(30);
    a->setScale(1.5f);
    auto b = CCNode::node();
    b->setContentSize(Size(10, 10));
    b->setAnchorPoint(Point(0.3f, 0.6f));
    b->setPosition(Point(-5, 7));
    b->setRotation(-70);
    b->setScaleX(0.5f);
    b->setScaleY(2);
    auto c = Layer::node();
    c->setScale(2.8f);
    c->camera()->setEyeX(160, 96, CCCamera::getZEye());
    c->camera()->setCenterX(160, 96, 0);
    auto d = CCNode::node();
    d->setContentSize(Size(30, 40));
    d->setAnchorPoint(Point(1, 1));
    d->setIsRelativeAnchorPoint(false);
    d->setPosition(Point(3, -4));
    d->setRotation(200);
    a->addChild(b);
    b->addChild(c);
    c->addChild(d);

    for (Point p : {Point(0, 0), Point(12.5f, -7), Point(300, 200), Point(-40, 1000)}) {
        const Point w = d->convertToWorldSpace(p);
        expectNear(d->convertToNodeSpace(w), p, 2e-2f);
        expectNear(d->convertToWorldSpace(d->convertToNodeSpace(p)), p, 2e-2f);
    }
    // The conversion through one node matches its own transform.
    const Point local = a->convertToNodeSpace(Point(10, 20 + 1.5f));
    expectNear(local, Point(-0.5f, 0.8660254f));
}

TEST_F(NodeTest, ChildrenOrderedByZThenInsertion) {
    auto p = CCNode::node();
    auto a = CCNode::node(), b = CCNode::node(), c = CCNode::node(), d = CCNode::node(),
         e = CCNode::node();
    p->addChild(a, 0, 1);
    p->addChild(b, 0, 2);
    p->addChild(c, -1, 3);
    p->addChild(d, 1, 4);
    p->addChild(e, 0, 5);
    auto order = [&] {
        std::vector<int> tags;
        for (auto& n : p->children())
            tags.push_back(n->tag());
        return tags;
    };
    EXPECT_EQ(order(), (std::vector<int>{3, 1, 2, 5, 4}));
    p->reorderChild(a.get(), 1);
    EXPECT_EQ(order(), (std::vector<int>{3, 2, 5, 4, 1}));
    p->reorderChild(a.get(), 0);
    EXPECT_EQ(order(), (std::vector<int>{3, 2, 5, 1, 4}));
    EXPECT_EQ(p->getChildByTag(5), e.get());
    EXPECT_EQ(p->getByTag(42), nullptr);

    // Equal tags: the first in child order.
    b->setTag(1);
    EXPECT_EQ(p->getChildByTag(1), b.get());
}

TEST_F(NodeTest, AliasesKeepZAndTagAndRemoveCleansUp) {
    auto p1 = CCNode::node(), p2 = CCNode::node();
    auto c = Sprite::sprite();
    p1->addChild(c, 5, 7);
    c->setPosition(Point(3, 4));
    c->setRotation(12);
    c->setScale(0.5f);
    c->setColor(ccColor3B{1, 2, 3});
    p1->removeChild(c.get(), false);
    EXPECT_EQ(c->parent(), nullptr);
    p2->add(c);
    EXPECT_EQ(c->zOrder(), 5);
    EXPECT_EQ(c->tag(), 7);
    EXPECT_EQ(c->parent(), p2.get());
    // Moving between parents keeps position, rotation, scale and colour.
    EXPECT_EQ(c->position(), Point(3, 4));
    EXPECT_EQ(c->rotation(), 12);
    EXPECT_EQ(c->scale(), 0.5f);
    EXPECT_EQ(c->color(), (ccColor3B{1, 2, 3}));

    auto scene = Scene::node();
    CCDirector::sharedDirector().replaceScene(scene);
    scene->addChild(p2);
    c->runAction(CCMoveTo::actionWithDuration(1, Point(0, 0)));
    EXPECT_EQ(c->numberOfRunningActions(), 1u);
    p2->remove(c.get());
    EXPECT_EQ(c->numberOfRunningActions(), 0u);

    auto d = CCNode::node();
    p2->add(d, 3);
    EXPECT_EQ(d->zOrder(), 3);
    p2->removeAll();
    EXPECT_TRUE(p2->children().empty());
    EXPECT_EQ(d->parent(), nullptr);
}

TEST_F(NodeTest, AliasClassesAreSubclassesOfTheirCurrentClass) {
    class StageLike : public ColorLayer {};
    auto stage = std::make_shared<StageLike>();
    CCNode* n = stage.get();
    EXPECT_NE(dynamic_cast<CCLayer*>(n), nullptr);
    EXPECT_NE(dynamic_cast<CCLayerColor*>(n), nullptr);
    EXPECT_NE(dynamic_cast<CCColorLayer*>(n), nullptr);
    EXPECT_EQ(dynamic_cast<Layer*>(n), nullptr);
    CCNode* plain = Layer::node().get();
    (void)plain;
    auto layer = Layer::node();
    EXPECT_NE(dynamic_cast<CCLayer*>(static_cast<CCNode*>(layer.get())), nullptr);
    auto sprite = Sprite::sprite();
    EXPECT_NE(dynamic_cast<CCSprite*>(static_cast<CCNode*>(sprite.get())), nullptr);
}

TEST_F(NodeTest, ContractFailuresCarryTheirMessages) {
    auto p = CCNode::node();
    EXPECT_EQ(contractMessage([&] { p->addChild(nullptr); }), "Argument must be non-nil");
    EXPECT_EQ(contractMessage([&] { p->addChild(nullptr, 1, 2); }), "Argument must be non-nil");
    auto c = CCNode::node();
    p->addChild(c);
    EXPECT_EQ(contractMessage([&] { p->addChild(c); }),
              "child already added. It can't be added again");
    auto other = CCNode::node();
    EXPECT_EQ(contractMessage([&] { other->add(c); }),
              "child already added. It can't be added again");
    c->setScaleX(2);
    EXPECT_EQ(contractMessage([&] { (void)c->scale(); }),
              "CCNode#scale. ScaleX != ScaleY. Don't know which one to return");
    EXPECT_EQ(contractMessage([] { Sprite::spriteWithFile(QString()); }),
              "Invalid filename for sprite");
    EXPECT_EQ(contractMessage([] { CCSprite::spriteWithTexture(nullptr); }),
              "Invalid texture for sprite");
    auto layer = Layer::node();
    CCTouchDispatcher::sharedDispatcher().addStandardDelegate(layer.get(), 0);
    EXPECT_EQ(contractMessage([&] {
                  CCTouchDispatcher::sharedDispatcher().addStandardDelegate(layer.get(), 5);
              }),
              "Delegate already added to touch dispatcher.");
}

} // namespace
