// The stage's camera: immediate and animated moves, scale, panning with two fingers, the fades,
// and what closing or clearing the animation does to them.

#include "StageFixture.h"
#include "engine/CCCamera.h"
#include "engine/CCDirector.h"
#include "items/BoundingSprite.h"
#include "platform/Timer.h"

#include <cmath>

namespace {

class CameraTest : public StageTest {
protected:
    static Point cameraOf(CCNode* layer) {
        float x, y, z;
        layer->camera()->centerX(&x, &y, &z);
        return Point(x, y);
    }
    void expectLayersFollow() {
        EXPECT_EQ(cameraOf(editor->backgroundLayer()), stage->cameraPosition());
        EXPECT_EQ(cameraOf(editor->shadowLayer()), stage->cameraPosition());
        EXPECT_EQ(editor->backgroundLayer()->scale(), stage->stageScale());
        EXPECT_EQ(editor->shadowLayer()->scale(), stage->stageScale());
    }
    // The horizontal centre of what the stage draws over its white background, in screen
    // points.
    static double drawnCentreX() {
        const QImage image = CCDirector::sharedDirector().renderToImage(QSize(480, 320));
        double sum = 0;
        long n = 0;
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x)
                if (image.pixel(x, y) != qRgb(255, 255, 255)) {
                    sum += x;
                    ++n;
                }
        return n ? sum / double(n) : -1;
    }
};

TEST_F(CameraTest, AnAnimatedMoveTakesTenTicksAndDropsASecondRequest) {
    stage->moveCameraTo(Point(100, 50), true);
    ASSERT_NE(stage->moveCameraTimer(), nullptr);
    const std::shared_ptr<platform::Timer> timer = stage->moveCameraTimer()->shared_from_this();
    EXPECT_TRUE(timer->repeats());
    EXPECT_DOUBLE_EQ(timer->timeInterval(), 1.0 / 30);
    for (int tick = 1; tick <= 10; ++tick) {
        if (tick == 4) // dropped: the first move goes on to its own target
            stage->moveCameraTo(Point(-300, 0), true);
        stage->moveCameraTimer()->fire();
        EXPECT_EQ(stage->cameraPosition(), Point(10.0f * tick, 5.0f * tick)) << "tick " << tick;
        expectLayersFollow();
    }
    EXPECT_EQ(stage->moveCameraTimer(), nullptr);
    EXPECT_FALSE(timer->isValid());
    // An immediate move is made at once, and the three layers show the same region.
    stage->moveCameraTo(Point(-20, 7), false);
    EXPECT_EQ(stage->cameraPosition(), Point(-20, 7));
    stage->setScale(2.8f);
    expectLayersFollow();
}

TEST_F(CameraTest, AScreenPointShowsTheStagePointOfCameraAndScale) {
    struct Case {
        Point camera;
        float scale;
        Point screen;
        Point stagePoint;
    };
    const Case cases[] = {{Point(0, 0), 1, Point(240, 160), Point(240, 160)},
                          {Point(160, 96), 2.8f, Point(240, 160), Point(245.71f, 153.14f)},
                          {Point(-10, 20), 2, Point(0, 320), Point(-10, 180)}};
    for (const Case& c : cases) {
        stage->moveCameraTo(c.camera);
        stage->setScale(c.scale);
        const Point p = stage->stagePoint(Point(c.screen.x, 320 - c.screen.y));
        EXPECT_NEAR(p.x, c.stagePoint.x, 0.01);
        EXPECT_NEAR(p.y, c.stagePoint.y, 0.01);
    }
}

TEST_F(CameraTest, TwoFingersPanAgainstTheirOwnFingerInScreenPoints) {
    stage->setInZoom(true);
    stage->setScale(2.8f);
    stage->moveCameraTo(Point(160, 96));
    auto b = BoundingSprite::spriteWithFile("box.png");
    b->setPosition(stage->stagePoint(Point(240, 160)));
    editor->addSprite(b);
    const double drawnBefore = drawnCentreX();

    press({{0, Point(200, 100)}, {1, Point(300, 100)}});
    ASSERT_TRUE(stage->isPanning());
    move({{0, Point(205, 100)}, {1, Point(305, 100)}});
    move({{0, Point(210, 100)}, {1, Point(310, 100)}});
    EXPECT_EQ(stage->cameraPosition(), Point(150, 96));
    expectLayersFollow();
    // The picture slides 2.8 times as far as the finger.
    EXPECT_NEAR(drawnCentreX() - drawnBefore, 28, 1);
    // Only the panning finger's own movement counts.
    move({{1, Point(330, 120)}});
    EXPECT_EQ(stage->cameraPosition(), Point(150, 96));
    release({{0, Point(210, 100)}, {1, Point(330, 120)}});
    EXPECT_FALSE(stage->isPanning());

    // Alt+Shift with the mouse: a parallel second finger.
    mousePress(Point(100, 200), Qt::AltModifier | Qt::ShiftModifier);
    ASSERT_TRUE(stage->isPanning());
    mouseMove(Point(90, 180));
    mouseRelease(Point(90, 180));
    EXPECT_EQ(stage->cameraPosition(), Point(160, 116));
}

TEST_F(CameraTest, FadesHoldOpacityWithinItsRange) {
    struct Case {
        uint8_t from;
        int step;
        uint8_t to;
    };
    const Case cases[] = {
        {255, 15, 240}, {10, 15, 0}, {0, 15, 0}, {250, -15, 255}, {105, -15, 120}};
    for (const Case& c : cases) {
        auto b = BoundingSprite::spriteWithFile("box.png");
        editor->addSprite(b);
        b->setOpacity(c.from);
        stage->fadeChildren(c.step);
        EXPECT_EQ(b->opacity(), c.to) << int(c.from) << " by " << c.step;
        editor->removeSprite(b.get());
    }
}

TEST_F(CameraTest, ClosingOrClearingStopsCameraMovesAndTimersKeepNoStageAlive) {
    for (int way = 0; way < 2; ++way) {
        SCOPED_TRACE(way == 0 ? "clear" : "close");
        stage->setScale(2.8f);
        stage->moveCameraTo(Point(100, 50), true);
        std::shared_ptr<platform::Timer> timer = stage->moveCameraTimer()->shared_from_this();
        if (way == 0)
            editor->clearAllFrames();
        else
            editor->doClose();
        EXPECT_FALSE(timer->isValid());
        EXPECT_EQ(stage->moveCameraTimer(), nullptr);
        EXPECT_EQ(stage->cameraPosition(), Point(0, 0));
        EXPECT_EQ(stage->stageScale(), 1);
        expectLayersFollow();
    }
    // A stage let go of while its camera moves is gone, not kept by the timer.
    auto layer = FrameLayer::layerWithColor(ccColor4B{255, 255, 255, 0}, 480, 320);
    layer->moveCameraTo(Point(30, 30), true);
    std::shared_ptr<platform::Timer> timer = layer->moveCameraTimer()->shared_from_this();
    std::weak_ptr<FrameLayer> weak = layer;
    layer.reset();
    EXPECT_TRUE(weak.expired());
    timer->fire();
    EXPECT_FALSE(timer->isValid());
}

} // namespace
