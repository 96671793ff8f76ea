#include "EngineFixtures.h"
#include "engine/CCDirector.h"
#include "engine/CCScheduler.h"
#include "engine/CCScrollView.h"
#include "engine/CCTouchDispatcher.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

constexpr float kFrame = 1.0f / 60;
constexpr float kStripHeight = 64;

void expectNear(Point a, Point b) {
    EXPECT_NEAR(a.x, b.x, 1e-3);
    EXPECT_NEAR(a.y, b.y, 1e-3);
}

// A horizontal 480 × 64 strip along the top of the 480 × 320 stage, in a running scene, with
// 40 × 40 items that record their taps. Fingers are driven through the touch dispatcher in
// view points (origin top-left), so the strip covers view y 0 to 64.
class ScrollViewTest : public ::testing::Test {
protected:
    void SetUp() override {
        resetEngine();
        scene = Scene::node();
        scroll = CCScrollView::scrollViewWithViewSize(Size(480, kStripHeight));
        scroll->setDirection(CCScrollViewDirectionHorizontal);
        scroll->setContentSize(Size(1000, kStripHeight));
        scroll->setPosition(Point(0, 320 - kStripHeight));
        scroll->setIsTouchEnabled(true);
        scroll->setTapHandler([this](CCNode* n) { tapped.push_back(n); });
        scene->addChild(scroll);
        CCDirector::sharedDirector().replaceScene(scene);
    }
    void TearDown() override { resetEngine(); }

    // An item centred at x (container coordinates) in the middle of the strip.
    CCNode* item(float x, Size size = Size(40, 40)) {
        auto n = CCNode::node();
        n->setContentSize(size);
        n->setPosition(Point(x, kStripHeight / 2));
        scroll->addChild(n);
        return n.get();
    }

    // Fingers as the drawing surface delivers them: the event holds every finger down.
    TouchPtr down(Point view) { return downAll({view})[0]; }
    std::vector<TouchPtr> downAll(std::vector<Point> views) {
        TouchSet began;
        std::vector<TouchPtr> made;
        for (Point v : views) {
            auto t = std::make_shared<Touch>(v, 1);
            fingers.push_back(t);
            began.add(t);
            made.push_back(t);
        }
        TouchEvent ev = event();
        CCTouchDispatcher::sharedDispatcher().touchesBegan(began, &ev);
        return made;
    }
    void move(std::vector<TouchPtr> ts, Point by) {
        TouchSet moved;
        for (auto& t : ts) {
            t->moveTo(t->locationInView() + by);
            t->setPhase(TouchPhase::Moved);
            moved.add(t);
        }
        TouchEvent ev = event();
        CCTouchDispatcher::sharedDispatcher().touchesMoved(moved, &ev);
    }
    void move(const TouchPtr& t, Point by) { move(std::vector<TouchPtr>{t}, by); }
    void up(std::vector<TouchPtr> ts) {
        TouchSet ended;
        for (auto& t : ts) {
            t->setPhase(TouchPhase::Ended);
            ended.add(t);
        }
        TouchEvent ev = event();
        std::erase_if(fingers, [&](const TouchPtr& f) { return ended.contains(f.get()); });
        CCTouchDispatcher::sharedDispatcher().touchesEnded(ended, &ev);
    }
    void up(const TouchPtr& t) { up(std::vector<TouchPtr>{t}); }
    TouchEvent event() const {
        TouchSet all;
        for (auto& f : fingers)
            all.add(f);
        return TouchEvent(all);
    }

    static void tick(float dt = kFrame) { CCScheduler::sharedScheduler().tick(dt); }
    bool gliding() const {
        return CCScheduler::sharedScheduler().isScheduled("deaccelerateScrolling", scroll.get());
    }
    float offsetX() const { return scroll->contentOffset().x; }

    std::shared_ptr<CCScene> scene;
    std::shared_ptr<CCScrollView> scroll;
    std::vector<TouchPtr> fingers;
    std::vector<CCNode*> tapped;
};

TEST_F(ScrollViewTest, LimitsFollowViewAndContentSizesFromTheStart) {
    // The colour layer's initialiser sized the layer before the container existed: the layer
    // kept the window size and the limits come from the view size alone.
    auto fresh = CCScrollView::scrollViewWithViewSize(Size(480, 64));
    ASSERT_NE(fresh->container_(), nullptr);
    EXPECT_EQ(fresh->children().size(), 1u);
    EXPECT_EQ(fresh->contentSize(), Size(0, 0));
    expectNear(fresh->maxInset(), Point(144, 19.2f));
    expectNear(fresh->minInset(), Point(480 - 144, 64 - 19.2f));

    expectNear(scroll->minInset(), Point(480 - 1000 - 144, -19.2f));
    expectNear(scroll->maxInset(), Point(144, 19.2f));
    scroll->setViewSize(Size(400, 64));
    expectNear(scroll->minInset(), Point(400 - 1000 - 120, -19.2f));
    expectNear(scroll->maxInset(), Point(120, 19.2f));
    // The content size is the container's extent times the layer's scale; a new scale alone
    // does not move the limits.
    scroll->setScale(2);
    EXPECT_EQ(scroll->contentSize(), Size(2000, 128));
    expectNear(scroll->minInset(), Point(400 - 1000 - 120, -19.2f));
    scroll->setContentSize(Size(600, 64));
    expectNear(scroll->minInset(), Point(400 - 1200 - 120, 64 - 128 - 19.2f));
    // Content is held by the container, not the layer.
    CCNode* n = item(100);
    EXPECT_EQ(n->parent(), scroll->container_());
}

TEST_F(ScrollViewTest, DragPastTheStartRestsAtTheInsetAndSettlesBackIn035Seconds) {
    item(60);
    auto f = down(Point(100, 30));
    for (int i = 0; i < 4; ++i)
        move(f, Point(50, 0));
    EXPECT_FLOAT_EQ(offsetX(), 144);
    EXPECT_EQ(scroll->contentOffset().y, 0);
    up(f);
    EXPECT_TRUE(tapped.empty());
    ASSERT_TRUE(gliding());
    // The glide stops on its first frame, since the content already sits at its limit.
    tick();
    EXPECT_FALSE(gliding());
    EXPECT_FALSE(scroll->isDecelerating());
    float settled = 0;
    while (offsetX() != 0 && settled < 1) {
        EXPECT_GT(offsetX(), 0);
        tick();
        settled += kFrame;
    }
    EXPECT_EQ(offsetX(), 0);
    // Over 0.35 s, counted from the glide's frame that started the settle.
    EXPECT_NEAR(settled + kFrame, 0.35f, kFrame);
}

TEST_F(ScrollViewTest, ContentNarrowerThanTheWindowRestsAtItsRightEdge) {
    scroll->setContentSize(Size(300, kStripHeight));
    scroll->relocateContainer(false);
    EXPECT_EQ(offsetX(), 480 - 300);
    // Pulled left, it springs back to the same place.
    auto f = down(Point(300, 30));
    move(f, Point(-200, 0));
    EXPECT_EQ(offsetX(), 480 - 300 - 144);
    up(f);
    for (int i = 0; i < 40; ++i)
        tick();
    EXPECT_EQ(offsetX(), 480 - 300);
}

TEST_F(ScrollViewTest, TouchThatBeganOutsideTheStripNeverScrollsNorTaps) {
    item(200);
    // Begins on the stage below the strip, slides up into it and along, ends on the item.
    auto f = down(Point(200, 150));
    move(f, Point(0, -120));
    move(f, Point(-100, 0));
    move(f, Point(100, 0));
    EXPECT_EQ(offsetX(), 0);
    up(f);
    EXPECT_TRUE(tapped.empty());
    EXPECT_FALSE(gliding());

    // A strip parked above the stage takes no touches at all.
    scroll->setPosition(Point(0, 320));
    auto g = down(Point(200, 10));
    move(g, Point(-100, 0));
    up(g);
    EXPECT_EQ(offsetX(), 0);
    EXPECT_TRUE(tapped.empty());
}

TEST_F(ScrollViewTest, TwoFingersNeverScrollButMayTap) {
    CCNode* a = item(100);
    CCNode* b = item(300);
    auto both = downAll({Point(100, 30), Point(300, 30)});
    move(both, Point(-80, 0));
    EXPECT_EQ(offsetX(), 0);
    up(both);
    EXPECT_FALSE(gliding());
    EXPECT_TRUE(tapped.empty()) << "the fingers slid off the items";

    both = downAll({Point(100, 30), Point(300, 30)});
    up(both);
    EXPECT_EQ(tapped, (std::vector<CCNode*>{a, b})) << "each finger taps the item under it";
    tapped.clear();

    // A second finger that joins later also stops the first from scrolling.
    auto first = down(Point(100, 30));
    auto second = down(Point(400, 30));
    move(first, Point(-60, 0));
    EXPECT_EQ(offsetX(), 0);
    up(std::vector<TouchPtr>{first, second});
    EXPECT_FALSE(gliding());
}

TEST_F(ScrollViewTest, TapsNeedLessThanAPointOfSidewaysTravelAndHitUnscaledRectangles) {
    CCNode* a = item(100);
    CCNode* over = item(110); // overlaps a: both are tapped, in child order
    CCNode* big = item(300);
    big->setScale(3); // the scale does not widen what a tap hits

    auto f = down(Point(102, 30));
    move(f, Point(0, 6));
    move(f, Point(0.5f, -12));
    up(f);
    EXPECT_EQ(tapped, (std::vector<CCNode*>{a, over}));
    tapped.clear();

    f = down(Point(102, 30));
    move(f, Point(1, 0));
    up(f);
    EXPECT_TRUE(tapped.empty()) << "a one-point drag is a scroll";

    f = down(Point(300 + 30, 30));
    up(f);
    EXPECT_TRUE(tapped.empty()) << "outside the unscaled 40 × 40 rectangle";
    f = down(Point(300 + 19, 30));
    up(f);
    EXPECT_EQ(tapped, (std::vector<CCNode*>{big}));
}

TEST_F(ScrollViewTest, GlideDecaysByFivePercentAFrameAndStopsAtOnePoint) {
    scroll->setContentSize(Size(3000, kStripHeight));
    auto f = down(Point(400, 30));
    move(f, Point(-30, 0));
    move(f, Point(-40, 0));
    up(f);
    ASSERT_TRUE(gliding());
    EXPECT_EQ(scroll->scrollDistance(), Point(-40, 0));

    int frames = 0;
    while (gliding() && frames < 500) {
        const Point before = scroll->contentOffset();
        const Point v = scroll->scrollDistance();
        scroll->deaccelerateScrolling(kFrame);
        ++frames;
        EXPECT_EQ(scroll->contentOffset(), before + v) << "frame " << frames;
        EXPECT_EQ(scroll->scrollDistance(), v * 0.95f) << "frame " << frames;
        const bool slow = std::fabs(scroll->scrollDistance().x) <= 1;
        EXPECT_EQ(gliding(), !slow) << "frame " << frames;
    }
    // -40 × 0.95^n first reaches one point after 72 frames.
    EXPECT_EQ(frames, int(std::ceil(std::log(1.0 / 40) / std::log(0.95))));
    EXPECT_FALSE(scroll->isDecelerating());
    EXPECT_EQ(scroll->numberOfRunningActions() + scroll->container_()->numberOfRunningActions(), 0u)
        << "inside its limits: nothing to settle";
}

TEST_F(ScrollViewTest, TouchDuringAGlideStopsItWithoutTapping) {
    scroll->setContentSize(Size(3000, kStripHeight));
    for (int i = 0; i < 30; ++i) // side by side: every point of the strip is on one item
        item(60 + 100 * i, Size(100, 40));
    auto f = down(Point(400, 30));
    move(f, Point(-50, 0));
    up(f);
    tick();
    tick();
    ASSERT_TRUE(scroll->isDecelerating());

    const float stoppedAt = offsetX();
    auto g = down(Point(240, 30));
    tick();
    EXPECT_FALSE(gliding());
    EXPECT_FALSE(scroll->isDecelerating());
    EXPECT_EQ(offsetX(), stoppedAt);
    up(g);
    EXPECT_TRUE(tapped.empty());
    EXPECT_FALSE(gliding()) << "a touch that did not move leaves no glide";
    // The next touch taps again.
    g = down(Point(240, 30));
    up(g);
    EXPECT_EQ(tapped.size(), 1u);
}

} // namespace
