#include "EngineFixtures.h"
#include "engine/CCDirector.h"
#include "engine/CCScheduler.h"
#include "engine/CCScrollView.h"
#include "engine/CCTouchDispatcher.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

constexpr float kFrame = 1.0f / 60;
using Fingers = std::vector<TouchPtr>;

// A horizontal 480 × 64 strip, 1000 points of content, along the top of the stage in a running
// scene; its items record their taps. Fingers go through the touch dispatcher in view points
// (origin top-left), so the strip covers view y 0 to 64, and each event holds every finger down.
class ScrollViewTest : public ::testing::Test {
protected:
    void SetUp() override {
        resetEngine();
        scroll = CCScrollView::scrollViewWithViewSize(Size(480, 64));
        scroll->setDirection(CCScrollViewDirectionHorizontal);
        scroll->setContentSize(Size(1000, 64));
        scroll->setPosition(Point(0, 256));
        scroll->setIsTouchEnabled(true);
        scroll->setTapHandler([this](CCNode* n) { tapped.push_back(n); });
        auto scene = Scene::node();
        scene->addChild(scroll);
        CCDirector::sharedDirector().replaceScene(scene);
    }
    void TearDown() override { resetEngine(); }

    // An item centred at x in the container, in the middle of the strip.
    CCNode* item(float x, Size size = Size(40, 40)) {
        auto n = CCNode::node();
        n->setContentSize(size);
        n->setPosition(Point(x, 32));
        scroll->addChild(n);
        return n.get();
    }
    Fingers down(std::vector<Point> at) {
        Fingers made;
        for (Point p : at)
            made.push_back(std::make_shared<Touch>(p, 1));
        held.insert(held.end(), made.begin(), made.end());
        send(&CCTouchDispatcher::touchesBegan, made);
        return made;
    }
    void move(const Fingers& f, Point by) {
        for (auto& t : f)
            t->moveTo(t->locationInView() + by);
        send(&CCTouchDispatcher::touchesMoved, f);
    }
    void up(const Fingers& f) {
        send(&CCTouchDispatcher::touchesEnded, f);
        std::erase_if(held, [&](const TouchPtr& t) { return std::count(f.begin(), f.end(), t); });
    }
    void send(void (CCTouchDispatcher::*phase)(const TouchSet&, TouchEvent*), const Fingers& f) {
        TouchSet set, all;
        for (auto& t : f)
            set.add(t);
        for (auto& t : held)
            all.add(t);
        TouchEvent ev(all);
        (CCTouchDispatcher::sharedDispatcher().*phase)(set, &ev);
    }

    static void tick() { CCScheduler::sharedScheduler().tick(kFrame); }
    bool gliding() const {
        return CCScheduler::sharedScheduler().isScheduled("deaccelerateScrolling", scroll.get());
    }
    float offsetX() const { return scroll->contentOffset().x; }

    std::shared_ptr<CCScrollView> scroll;
    Fingers held;
    std::vector<CCNode*> tapped;
};

TEST_F(ScrollViewTest, LimitsFollowViewAndContentSizes) {
    // The colour layer's initialiser set the size before the container existed; that did nothing.
    auto fresh = CCScrollView::scrollViewWithViewSize(Size(480, 64));
    EXPECT_EQ(fresh->contentSize(), Size(0, 0));
    EXPECT_NEAR(fresh->minInset().x, 480 - 144, 1e-3);
    EXPECT_NEAR(scroll->minInset().x, 480 - 1000 - 144, 1e-3);
    EXPECT_NEAR(scroll->maxInset().x, 144, 1e-3);
    scroll->setViewSize(Size(400, 64));
    EXPECT_NEAR(scroll->minInset().x, 400 - 1000 - 120, 1e-3);
    scroll->setScale(2); // counts in the content size, but moves the limits only when next set
    EXPECT_NEAR(scroll->minInset().x, 400 - 1000 - 120, 1e-3);
    scroll->setContentSize(Size(600, 64));
    EXPECT_NEAR(scroll->minInset().x, 400 - 1200 - 120, 1e-3);
    EXPECT_EQ(item(100)->parent(), scroll->container_());
}

TEST_F(ScrollViewTest, DragPastTheStartRestsAtTheInsetAndSettlesBackIn035Seconds) {
    auto f = down({Point(100, 30)});
    for (int i = 0; i < 4; ++i)
        move(f, Point(50, 0));
    EXPECT_FLOAT_EQ(offsetX(), 144);
    up(f);
    ASSERT_TRUE(gliding());
    tick(); // at its limit already: the glide stops on its first frame
    EXPECT_FALSE(gliding());
    float settling = kFrame;
    for (; offsetX() != 0 && settling < 1; settling += kFrame) {
        EXPECT_GT(offsetX(), 0);
        tick();
    }
    EXPECT_EQ(offsetX(), 0);
    EXPECT_NEAR(settling, 0.35f, kFrame);
}

TEST_F(ScrollViewTest, ContentNarrowerThanTheWindowRestsAtItsRightEdge) {
    scroll->setContentSize(Size(300, 64));
    scroll->relocateContainer(false);
    EXPECT_EQ(offsetX(), 480 - 300);
    auto f = down({Point(300, 30)});
    move(f, Point(-200, 0));
    EXPECT_EQ(offsetX(), 480 - 300 - 144);
    up(f);
    for (int i = 0; i < 40; ++i)
        tick();
    EXPECT_EQ(offsetX(), 480 - 300);
}

TEST_F(ScrollViewTest, TouchThatBeganOutsideTheStripNeverScrollsNorTaps) {
    item(200);
    // Begins on the stage below, slides up into the strip and along, ends on the item.
    auto f = down({Point(200, 150)});
    move(f, Point(0, -120));
    move(f, Point(-100, 0));
    move(f, Point(100, 0));
    up(f);
    EXPECT_EQ(offsetX(), 0);
    EXPECT_TRUE(tapped.empty());
    EXPECT_FALSE(gliding());
}

TEST_F(ScrollViewTest, TwoFingersNeverScrollButMayTap) {
    CCNode* a = item(100);
    CCNode* b = item(300);
    auto both = down({Point(100, 30), Point(300, 30)});
    move(both, Point(-80, 0));
    up(both);
    EXPECT_EQ(offsetX(), 0);
    EXPECT_FALSE(gliding());
    both = down({Point(100, 30), Point(300, 30)});
    up(both);
    EXPECT_EQ(tapped, (std::vector<CCNode*>{a, b}));
    // A second finger that joins later stops the first one scrolling too.
    auto first = down({Point(100, 30)});
    auto second = down({Point(400, 30)});
    move(first, Point(-60, 0));
    EXPECT_EQ(offsetX(), 0);
}

TEST_F(ScrollViewTest, TapsNeedLessThanAPointSidewaysAndHitEveryUnscaledRectangle) {
    CCNode* a = item(100);
    CCNode* over = item(110);
    CCNode* big = item(300);
    big->setScale(3);
    auto f = down({Point(102, 30)});
    move(f, Point(0, 6)); // a vertical wiggle
    move(f, Point(0.5f, -12));
    up(f);
    EXPECT_EQ(tapped, (std::vector<CCNode*>{a, over}));
    f = down({Point(102, 30)});
    move(f, Point(1, 0));
    up(f);
    up(down({Point(300 + 30, 30)})); // inside the scaled picture only
    EXPECT_EQ(tapped.size(), 2u);
    up(down({Point(300 + 19, 30)}));
    EXPECT_EQ(tapped.back(), big);
}

TEST_F(ScrollViewTest, GlideDecaysByFivePercentAFrameUntilOnePointAFrame) {
    scroll->setContentSize(Size(3000, 64));
    auto f = down({Point(400, 30)});
    move(f, Point(-30, 0));
    move(f, Point(-40, 0));
    up(f);
    EXPECT_EQ(scroll->scrollDistance(), Point(-40, 0));
    int frames = 0;
    for (; gliding() && frames < 500; ++frames) {
        const Point at = scroll->contentOffset(), v = scroll->scrollDistance();
        scroll->deaccelerateScrolling(kFrame);
        EXPECT_EQ(scroll->contentOffset(), at + v);
        EXPECT_EQ(scroll->scrollDistance(), v * 0.95f);
        EXPECT_EQ(gliding(), std::fabs(v.x * 0.95f) > 1);
    }
    EXPECT_EQ(frames, 72); // 40 × 0.95^72 < 1 < 40 × 0.95^71
    EXPECT_EQ(scroll->container_()->numberOfRunningActions(), 0u) << "inside: nothing to settle";
}

TEST_F(ScrollViewTest, TouchDuringAGlideStopsItWithoutTapping) {
    scroll->setContentSize(Size(3000, 64));
    for (int i = 0; i < 30; ++i) // side by side: every point of the strip is on an item
        item(60 + 100 * i, Size(100, 40));
    auto f = down({Point(400, 30)});
    move(f, Point(-50, 0));
    up(f);
    tick();
    ASSERT_TRUE(scroll->isDecelerating());
    const float stoppedAt = offsetX();
    f = down({Point(240, 30)});
    tick();
    EXPECT_FALSE(gliding());
    EXPECT_EQ(offsetX(), stoppedAt);
    up(f);
    EXPECT_TRUE(tapped.empty());
    up(down({Point(240, 30)}));
    EXPECT_EQ(tapped.size(), 1u);
}

} // namespace
