#include "EngineFixtures.h"
#include "engine/CCDirector.h"
#include "engine/CCLabelTTF.h"
#include "engine/CCScene.h"
#include "engine/CCSprite.h"
#include "engine/CCTextureCache.h"

#include <QFontInfo>
#include <QImage>

#include <gtest/gtest.h>

namespace {

class SpriteTest : public ::testing::Test {
protected:
    void SetUp() override { resetEngine(); }
    void TearDown() override { resetEngine(); }
};

TEST_F(SpriteTest, PictureFromFileRecordsItsName) {
    const QString dir = makePictureFolder("gun.png", 40, 20, Qt::red);
    qputenv("KELVORA_RESOURCES", dir.toUtf8());
    auto s = Sprite::spriteWithFile("gun.png");
    ASSERT_TRUE(s);
    EXPECT_EQ(s->textureName(), "gun.png");
    EXPECT_EQ(s->contentSize(), Size(40, 20));
    // Loaded once: a second sprite shares the cached texture.
    auto t = Sprite::spriteWithFile("gun.png");
    EXPECT_EQ(s->texture(), t->texture());
    EXPECT_EQ(Sprite::spriteWithFile("missing.png"), nullptr);
    qunsetenv("KELVORA_RESOURCES");
}

TEST_F(SpriteTest, HighResolutionScreenLoadsHdVariantButRecordsStandardName) {
    const QString dir = makePictureFolder("gun.png", 40, 20, Qt::red, true, Qt::blue);
    CCDirector::sharedDirector().setContentScaleFactor(2);
    auto s = Sprite::spriteWithFile(dir + "/gun.png");
    ASSERT_TRUE(s);
    EXPECT_EQ(s->textureName(), dir + "/gun.png");
    EXPECT_EQ(s->texture()->pixelsWide(), 80);
    EXPECT_EQ(s->contentSize(), Size(40, 20));
    EXPECT_EQ(QColor(s->texture()->image().pixel(0, 0)), QColor(Qt::blue));
    // Asked for the "-hd" file by name, the recorded name is still the standard one.
    auto hd = Sprite::spriteWithFile(dir + "/gun-hd.png");
    ASSERT_TRUE(hd);
    EXPECT_EQ(hd->textureName(), dir + "/gun.png");
    EXPECT_EQ(hd->contentSize(), Size(40, 20));

    // Without a "-hd" file the standard picture is used at its own size.
    const QString plain = makePictureFolder("box.png", 30, 30, Qt::green);
    auto b = Sprite::spriteWithFile(plain + "/box.png");
    ASSERT_TRUE(b);
    EXPECT_EQ(b->contentSize(), Size(30, 30));

    // On a standard screen, the plain file and the recorded name as given.
    CCDirector::sharedDirector().setContentScaleFactor(1);
    auto lo = Sprite::spriteWithFile(dir + "/gun.png");
    EXPECT_EQ(lo->texture()->pixelsWide(), 40);
    EXPECT_EQ(CCTextureCache::removeHdSuffix("a-hd/b-hd.png"), "a-hd/b.png");
    EXPECT_EQ(CCTextureCache::hdName("a.b/c"), "a.b/c-hd");
}

TEST_F(SpriteTest, InMemoryPictureHasNoName) {
    QImage img(48, 32, QImage::Format_ARGB32);
    img.fill(Qt::yellow);
    auto s = Sprite::spriteWithCGImage(img);
    ASSERT_TRUE(s);
    EXPECT_TRUE(s->textureName().isNull());
    EXPECT_EQ(s->contentSize(), Size(48, 32));
}

TEST_F(SpriteTest, ColourFollowsOpacityWithIntegerDivision) {
    auto s = Sprite::sprite();
    s->setColor(ccColor3B{200, 100, 51});
    EXPECT_EQ(s->displayedColor(), (ccColor3B{200, 100, 51}));
    s->setOpacity(128);
    // 200·128/255 = 100.4, 100·128/255 = 50.2, 51·128/255 = 25.6: truncated.
    EXPECT_EQ(s->displayedColor(), (ccColor3B{100, 50, 25}));
    EXPECT_EQ(s->color(), (ccColor3B{200, 100, 51}));
    s->setColor(ccColor3B{255, 255, 255});
    EXPECT_EQ(s->displayedColor(), (ccColor3B{128, 128, 128}));
    s->setOpacityModifyRGB(false);
    EXPECT_EQ(s->displayedColor(), (ccColor3B{255, 255, 255}));
    s->setOpacity(10);
    EXPECT_EQ(s->displayedColor(), (ccColor3B{255, 255, 255}));
}

TEST_F(SpriteTest, HelveticaIsLiberationSansAndMeasuresWrappedLines) {
    const QFont f = ccFontWithName("Helvetica", 16);
    EXPECT_EQ(QFontInfo(f).family(), "Liberation Sans");
    EXPECT_EQ(f.pixelSize(), 16);

    const Size one = ccSizeWithFont("Hello", "Helvetica", 16, Size(0, 0));
    EXPECT_GT(one.width, 20);
    EXPECT_LT(one.width, 60);
    const float line = one.height;
    EXPECT_NEAR(line, 19, 2);
    const Size wrapped =
        ccSizeWithFont("Double tap to change text", "Helvetica", 16, Size(100, 200));
    EXPECT_LE(wrapped.width, 100);
    EXPECT_GE(wrapped.height, 2 * line - 1);
    // Only lines that fit the height count.
    const Size clipped =
        ccSizeWithFont("a b c d e f g h i j", "Helvetica", 16, Size(10, 2.5f * line));
    EXPECT_LE(clipped.height, 2 * line + 1);
    EXPECT_EQ(ccSizeWithFont("", "Helvetica", 16, Size(100, 100)), Size(0, 0));
}

TEST_F(SpriteTest, LabelRendersIntoItsDimensions) {
    auto l = Label::labelWithString("Hi", Size(120, 40), CCTextAlignmentCenter, "Helvetica", 16);
    ASSERT_TRUE(l);
    EXPECT_EQ(l->contentSize(), Size(120, 40));
    EXPECT_TRUE(l->textureName().isNull());
    const QImage& img = l->texture()->image();
    // Some white text in the top half, centred; nothing in the corners.
    int inked = 0;
    for (int y = 0; y < img.height() / 2; ++y)
        for (int x = 0; x < img.width(); ++x)
            inked += qAlpha(img.pixel(x, y)) > 128;
    EXPECT_GT(inked, 10);
    EXPECT_EQ(qAlpha(img.pixel(0, 0)), 0);
    EXPECT_EQ(qAlpha(img.pixel(img.width() - 1, img.height() - 1)), 0);
    // Leaving the screen lets the picture go; it comes back the same.
    const QImage before = img;
    auto scene = Scene::node();
    CCDirector::sharedDirector().replaceScene(scene);
    scene->addChild(l);
    scene->removeChild(l.get(), true);
    EXPECT_FALSE(l->hasPicture());
    EXPECT_EQ(l->texture()->image(), before);
    l->setString("A longer text");
    EXPECT_EQ(l->string(), "A longer text");
    EXPECT_EQ(l->contentSize(), Size(120, 40));

    auto fit = Label::labelWithString("Fit", "Helvetica", 20);
    EXPECT_GT(fit->contentSize().width, 0);
    EXPECT_GT(fit->contentSize().height, 0);
}

} // namespace
