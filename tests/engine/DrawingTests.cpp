#include "EngineFixtures.h"
#include "TestSupport.h"
#include "engine/CCCamera.h"
#include "engine/CCDirector.h"
#include "engine/CCLayer.h"
#include "engine/CCSprite.h"
#include "engine/Renderer.h"

#include <QDir>
#include <QImage>

#include <gtest/gtest.h>

namespace {

class DrawingTest : public ::testing::Test {
protected:
    void SetUp() override {
        resetEngine();
        scene = Scene::node();
        auto black = ColorLayer::layerWithColor(ccColor4B{0, 0, 0, 255}, 480, 320);
        scene->addChild(black, -100);
        CCDirector::sharedDirector().replaceScene(scene);
    }
    void TearDown() override { resetEngine(); }

    // The colour at a scene point of the rendered scene, scale device pixels per point.
    static QColor at(const QImage& img, float x, float y, int scale = 1) {
        return QColor(img.pixel(int(x * scale), int((320 - y) * scale)));
    }
    std::shared_ptr<Sprite> solid(int w, int h, QColor c) {
        QImage img(w, h, QImage::Format_ARGB32);
        img.fill(c);
        return Sprite::spriteWithCGImage(img);
    }
    std::shared_ptr<CCScene> scene;
};

TEST_F(DrawingTest, NinetyDegreesTurnsClockwise) {
    // Left half red, right half green.
    QImage img(40, 20, QImage::Format_ARGB32);
    img.fill(Qt::red);
    for (int y = 0; y < 20; ++y)
        for (int x = 20; x < 40; ++x)
            img.setPixel(x, y, qRgb(0, 255, 0));
    auto s = Sprite::spriteWithCGImage(img);
    s->setPosition(Point(100, 100));
    s->setRotation(90);
    scene->addChild(s);
    const QImage out = CCDirector::sharedDirector().renderToImage(QSize(480, 320));
    // Turned clockwise: the right (green) end points down, the left (red) end up.
    EXPECT_EQ(at(out, 100, 85), QColor(0, 255, 0));
    EXPECT_EQ(at(out, 100, 115), QColor(255, 0, 0));
    EXPECT_EQ(at(out, 115, 100), QColor(0, 0, 0));
}

TEST_F(DrawingTest, LaterChildOfEqualZIsOnTopAndNegativeZIsBeneathParent) {
    auto red = solid(20, 20, Qt::red);
    auto blue = solid(20, 20, Qt::blue);
    red->setPosition(Point(50, 50));
    blue->setPosition(Point(55, 55));
    scene->addChild(red, 1);
    scene->addChild(blue, 1);
    auto parent = solid(20, 20, Qt::red);
    parent->setPosition(Point(200, 200));
    auto under = solid(20, 20, Qt::green);
    under->setPosition(Point(15, 15)); // in the parent's space: overlaps its upper right
    parent->addChild(under, -1);
    auto over = solid(20, 20, Qt::blue);
    over->setPosition(Point(5, 5));
    parent->addChild(over, 1);
    scene->addChild(parent);
    const QImage out = CCDirector::sharedDirector().renderToImage(QSize(480, 320));
    EXPECT_EQ(at(out, 52, 52), QColor(Qt::blue));
    EXPECT_EQ(at(out, 42, 42), QColor(Qt::red));
    // Parent spans 190..210; `under` spans 195..215 and `over` 185..205 in scene points.
    EXPECT_EQ(at(out, 207, 207), QColor(Qt::red));   // parent over the negative-z child
    EXPECT_EQ(at(out, 212, 212), QColor(Qt::green)); // the child where the parent is not
    EXPECT_EQ(at(out, 193, 193), QColor(Qt::blue));  // the positive-z child over the parent
}

TEST_F(DrawingTest, TintOpacityVisibilityAndScale) {
    auto white = solid(20, 20, Qt::white);
    white->setPosition(Point(50, 50));
    white->setColor(ccColor3B{255, 0, 0});
    scene->addChild(white);
    auto half = solid(20, 20, Qt::white);
    half->setPosition(Point(100, 50));
    half->setOpacity(128);
    scene->addChild(half);
    auto hidden = solid(20, 20, Qt::white);
    hidden->setPosition(Point(150, 50));
    hidden->setVisible(false);
    scene->addChild(hidden);
    auto big = solid(10, 10, Qt::green);
    big->setPosition(Point(300, 100));
    big->setScale(4);
    scene->addChild(big);
    const QImage out = CCDirector::sharedDirector().renderToImage(QSize(960, 640));
    EXPECT_EQ(at(out, 50, 50, 2), QColor(255, 0, 0));
    const QColor h = at(out, 100, 50, 2);
    EXPECT_NEAR(h.red(), 128, 2);
    EXPECT_EQ(at(out, 150, 50, 2), QColor(Qt::black));
    EXPECT_EQ(at(out, 318, 118, 2), QColor(Qt::green));
    EXPECT_EQ(at(out, 322, 100, 2), QColor(Qt::black));
}

// A sprite keeps its picture as resampled for the next draw while it is on the screen, and
// lets it go when it leaves; drawn again, it looks the same.
TEST_F(DrawingTest, ResampledPictureIsKeptOnlyOnTheScreen) {
    QImage picture(12, 30, QImage::Format_ARGB32);
    for (int y = 0; y < 30; ++y)
        for (int x = 0; x < 12; ++x)
            picture.setPixel(x, y, qRgb(x * 20, y * 8, 90));
    auto s = Sprite::spriteWithCGImage(picture);
    s->setRotation(33);
    s->setScale(0.7f);
    s->setPosition(Point(100, 100));
    scene->addChild(s);
    const QImage first = CCDirector::sharedDirector().renderToImage(QSize(480, 320));
    EXPECT_TRUE(s->keepsResampledPicture());
    EXPECT_EQ(CCDirector::sharedDirector().renderToImage(QSize(480, 320)), first);
    scene->removeChild(s.get(), true);
    EXPECT_FALSE(s->keepsResampledPicture());
    scene->addChild(s);
    EXPECT_EQ(CCDirector::sharedDirector().renderToImage(QSize(480, 320)), first);
}

TEST_F(DrawingTest, HighResolutionPictureDrawsAtFullDetail) {
    const QString dir = testsupport::makeTempDir();
    QImage hd(40, 40, QImage::Format_ARGB32);
    hd.fill(Qt::red);
    for (int y = 0; y < 40; ++y)
        hd.setPixel(20, y, qRgb(0, 0, 255)); // a one-pixel line only the -hd file has
    hd.save(QDir(dir).filePath("p-hd.png"));
    QImage lo(20, 20, QImage::Format_ARGB32);
    lo.fill(Qt::red);
    lo.save(QDir(dir).filePath("p.png"));
    CCDirector::sharedDirector().setContentScaleFactor(2);
    auto s = Sprite::spriteWithFile(dir + "/p.png");
    ASSERT_TRUE(s);
    s->setPosition(Point(100, 100));
    scene->addChild(s);
    const QImage out = CCDirector::sharedDirector().renderToImage(QSize(960, 640));
    // Sprite spans 90..110 points = 180..220 pixels; its pixel column 20 lands on 200.
    EXPECT_EQ(QColor(out.pixel(200, 440)).blue(), 255);
    EXPECT_EQ(QColor(out.pixel(190, 440)), QColor(Qt::red));
}

TEST_F(DrawingTest, CameraShiftsTheLayersContentAndDrawOverridesDrawLines) {
    struct LineNode : CCNode {
        void draw(Renderer& r) override {
            r.setColor(1, 1, 0, 1);
            r.setLineWidth(4);
            r.drawLine(Point(0, 100), Point(480, 100));
        }
    };
    auto layer = Layer::node();
    auto dot = solid(10, 10, Qt::white);
    dot->setPosition(Point(100, 100));
    layer->addChild(dot);
    layer->camera()->setEyeX(50, 20, CCCamera::getZEye());
    layer->camera()->setCenterX(50, 20, 0);
    scene->addChild(layer);
    scene->addChild(std::make_shared<LineNode>());
    const QImage out = CCDirector::sharedDirector().renderToImage(QSize(480, 320));
    EXPECT_EQ(at(out, 50, 80), QColor(Qt::white));
    EXPECT_EQ(at(out, 100, 60), QColor(Qt::black));
    EXPECT_EQ(at(out, 300, 100), QColor(Qt::yellow));
}

} // namespace
