#include "EngineFixtures.h"
#include "engine/CCDirector.h"
#include "engine/CCLayer.h"
#include "engine/CCTouchDispatcher.h"

#include <gtest/gtest.h>

namespace {

struct Recorder : CCStandardTouchDelegate {
    Recorder(std::vector<std::string>& log, std::string name) : log(log), name(std::move(name)) {}
    void ccTouchesBegan(const TouchSet&, TouchEvent*) override { log.push_back(name + ":began"); }
    void ccTouchesEnded(const TouchSet&, TouchEvent*) override { log.push_back(name + ":ended"); }
    std::vector<std::string>& log;
    std::string name;
};

struct RecordingLayer : CCLayer {
    int began = 0;
    Point lastPoint;
    void ccTouchesBegan(const TouchSet& t, TouchEvent*) override {
        ++began;
        lastPoint = convertTouchToNodeSpace(*t.anyObject());
    }
};

class TouchTest : public ::testing::Test {
protected:
    void SetUp() override { resetEngine(); }
    void TearDown() override { resetEngine(); }
};

TEST_F(TouchTest, DelegatesAreCalledInPriorityOrderNewestFirstWithinAPriority) {
    std::vector<std::string> log;
    Recorder a(log, "a"), b(log, "b"), c(log, "c"), d(log, "d");
    auto& disp = CCTouchDispatcher::sharedDispatcher();
    disp.addStandardDelegate(&a, 0);
    disp.addStandardDelegate(&b, 0);
    disp.addStandardDelegate(&c, -1);
    disp.addStandardDelegate(&d, 1);
    auto t = std::make_shared<Touch>(Point(10, 10), 1);
    TouchSet set{t};
    TouchEvent ev(set);
    disp.touchesBegan(set, &ev);
    EXPECT_EQ(log, (std::vector<std::string>{"c:began", "b:began", "a:began", "d:began"}));
    log.clear();
    disp.removeDelegate(&b);
    disp.touchesEnded(set, &ev);
    EXPECT_EQ(log, (std::vector<std::string>{"c:ended", "a:ended", "d:ended"}));
    disp.removeAllDelegates();
}

TEST_F(TouchTest, LayersRegisterWhileRunningAndConvertTouches) {
    auto scene = Scene::node();
    auto layer = std::make_shared<RecordingLayer>();
    layer->setIsTouchEnabled(true);
    auto& disp = CCTouchDispatcher::sharedDispatcher();
    EXPECT_FALSE(disp.isRegistered(layer.get()));
    scene->addChild(layer);
    CCDirector::sharedDirector().replaceScene(scene);
    EXPECT_TRUE(disp.isRegistered(layer.get()));
    EXPECT_EQ(disp.priorityOf(layer.get()), 0);

    auto t = std::make_shared<Touch>(Point(30, 20), 1); // view point, origin top-left
    TouchSet set{t};
    TouchEvent ev(set);
    disp.touchesBegan(set, &ev);
    EXPECT_EQ(layer->began, 1);
    EXPECT_EQ(layer->lastPoint, Point(30, 300));
    EXPECT_EQ(CCDirector::sharedDirector().convertToGLStick(Point(30, 20)), Point(30, 300));

    layer->setIsTouchEnabled(false);
    EXPECT_FALSE(disp.isRegistered(layer.get()));
    layer->setIsTouchEnabled(true);
    EXPECT_TRUE(disp.isRegistered(layer.get()));
    scene->removeChild(layer.get(), true);
    EXPECT_FALSE(disp.isRegistered(layer.get()));
}

TEST_F(TouchTest, TouchKeepsItsPreviousLocation) {
    Touch t(Point(1, 2), 2);
    EXPECT_EQ(t.previousLocationInView(), Point(1, 2));
    t.moveTo(Point(5, 6));
    EXPECT_EQ(t.locationInView(), Point(5, 6));
    EXPECT_EQ(t.previousLocationInView(), Point(1, 2));
    EXPECT_EQ(t.tapCount(), 2);
}

} // namespace
