#include "EngineFixtures.h"
#include "engine/CCAction.h"
#include "engine/CCDirector.h"
#include "engine/CCScheduler.h"
#include "engine/CCSprite.h"

#include <gtest/gtest.h>

namespace {

class ActionTest : public ::testing::Test {
protected:
    void SetUp() override {
        resetEngine();
        scene = Scene::node();
        CCDirector::sharedDirector().replaceScene(scene);
    }
    void TearDown() override { resetEngine(); }
    void tick(ccTime dt) { CCScheduler::sharedScheduler().tick(dt); }
    std::shared_ptr<CCScene> scene;
};

TEST_F(ActionTest, FadeToPassesThroughTruncatedBytesAndEndsAtZero) {
    auto s = Sprite::sprite();
    scene->addChild(s);
    auto fade = CCFadeTo::actionWithDuration(0.5f, 0);
    s->runAction(fade);
    std::vector<int> seen;
    float elapsed = 0;
    for (int i = 0; i < 40 && s->numberOfRunningActions() > 0; ++i) {
        tick(1.0f / 60);
        elapsed += 1.0f / 60;
        seen.push_back(s->opacity());
        const float t = std::min(1.0f, elapsed / 0.5f);
        EXPECT_EQ(s->opacity(), int(uint8_t(255.0f - 255.0f * t))) << "step " << i;
    }
    ASSERT_FALSE(seen.empty());
    EXPECT_EQ(seen.front(), 246); // 246.5, truncated
    EXPECT_EQ(seen.back(), 0);
    EXPECT_EQ(s->numberOfRunningActions(), 0u);
    EXPECT_TRUE(std::is_sorted(seen.rbegin(), seen.rend()));
}

TEST_F(ActionTest, MoveToInterpolatesFromWhereItStarts) {
    auto s = Sprite::sprite();
    s->setPosition(Point(10, 10));
    scene->addChild(s);
    s->runAction(MoveTo::actionWithDuration(1, Point(110, 60)));
    tick(0.25f);
    EXPECT_FLOAT_EQ(s->position().x, 35);
    EXPECT_FLOAT_EQ(s->position().y, 22.5f);
    tick(1);
    EXPECT_EQ(s->position(), Point(110, 60));
    EXPECT_EQ(s->numberOfRunningActions(), 0u);
}

TEST_F(ActionTest, SequenceRunsActionsInTurnAndCallsOnce) {
    auto s = Sprite::sprite();
    scene->addChild(s);
    int calls = 0;
    Point whenCalled;
    s->runAction(Sequence::actions({MoveTo::actionWithDuration(0.5f, Point(50, 0)),
                                    CallFunc::actionWithTarget([&] {
                                        ++calls;
                                        whenCalled = s->position();
                                    }),
                                    MoveTo::actionWithDuration(0.5f, Point(50, 100))}));
    tick(0.25f);
    EXPECT_EQ(calls, 0);
    EXPECT_FLOAT_EQ(s->position().x, 25);
    tick(0.25f);
    EXPECT_EQ(calls, 1);
    EXPECT_EQ(whenCalled, Point(50, 0));
    tick(0.25f);
    EXPECT_EQ(calls, 1);
    EXPECT_FLOAT_EQ(s->position().y, 50);
    tick(0.3f);
    EXPECT_EQ(s->position(), Point(50, 100));
    EXPECT_EQ(calls, 1);
    EXPECT_EQ(s->numberOfRunningActions(), 0u);
}

TEST_F(ActionTest, ActionsWaitUntilTheNodeRuns) {
    auto s = Sprite::sprite();
    s->runAction(MoveTo::actionWithDuration(1, Point(100, 0)));
    tick(0.5f);
    EXPECT_EQ(s->position(), Point(0, 0));
    scene->addChild(s);
    tick(0.5f);
    EXPECT_FLOAT_EQ(s->position().x, 50);
    s->stopAllActions();
    tick(0.5f);
    EXPECT_FLOAT_EQ(s->position().x, 50);
}

TEST_F(ActionTest, SchedulerReportsAccumulatedTime) {
    auto n = CCNode::node();
    scene->addChild(n);
    std::vector<float> everyFrame, everyTenth;
    n->schedule("frame", [&](ccTime dt) { everyFrame.push_back(dt); });
    n->schedule(
        "tenth", [&](ccTime dt) { everyTenth.push_back(dt); }, 0.1f);
    for (int i = 0; i < 5; ++i)
        tick(0.04f);
    EXPECT_EQ(everyFrame.size(), 5u);
    EXPECT_FLOAT_EQ(everyFrame[0], 0.04f);
    ASSERT_EQ(everyTenth.size(), 1u);
    EXPECT_NEAR(everyTenth[0], 0.12f, 1e-6);

    // A callback may unschedule itself.
    int once = 0;
    n->schedule("once", [&](ccTime) {
        ++once;
        n->unschedule("once");
    });
    tick(0.01f);
    tick(0.01f);
    EXPECT_EQ(once, 1);

    // Paused while the node is not running, dropped with the node's cleanup.
    scene->removeChild(n.get(), false);
    const size_t before = everyFrame.size();
    tick(0.01f);
    EXPECT_EQ(everyFrame.size(), before);
    scene->addChild(n);
    tick(0.01f);
    EXPECT_EQ(everyFrame.size(), before + 1);
    scene->removeChild(n.get(), true);
    scene->addChild(n);
    tick(0.01f);
    EXPECT_EQ(everyFrame.size(), before + 1);
}

TEST_F(ActionTest, DirectorPausesAndResumesTheClock) {
    auto n = CCNode::node();
    scene->addChild(n);
    float total = 0;
    n->schedule("t", [&](ccTime dt) { total += dt; });
    CCDirector& d = CCDirector::sharedDirector();
    d.mainLoop(0.1f);
    EXPECT_FLOAT_EQ(total, 0.1f);
    d.pause();
    d.mainLoop(0.1f);
    EXPECT_FLOAT_EQ(total, 0.1f);
    d.resume();
    EXPECT_TRUE(d.nextDeltaTimeZero());
    d.mainLoop(0.1f);
    EXPECT_FLOAT_EQ(total, 0.2f);

    d.setAnimationInterval(1.0 / 30);
    EXPECT_DOUBLE_EQ(d.animationInterval(), 1.0 / 30);
    d.startAnimation();
    EXPECT_TRUE(d.isAnimating());
    d.stopAnimation();
    EXPECT_FALSE(d.isAnimating());
}

} // namespace
