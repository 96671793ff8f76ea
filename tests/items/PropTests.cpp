#include "ItemsTestSupport.h"
#include "engine/CCLayer.h"
#include "items/BoundingSprite.h"
#include "items/Car.h"
#include "items/SpeechBubble.h"
#include "items/Tree.h"

namespace {

class PropTest : public ItemsTest {};

TEST_F(PropTest, TreeIsHitOnlyInCrownAndTrunk) {
    auto tree = Tree::tree();
    ASSERT_TRUE(tree);
    EXPECT_EQ(tree->textureName(), "tree.png");
    ASSERT_EQ(tree->bounds().size(), 2u);
    EXPECT_EQ(tree->bounds()[0], (BRect{30, 105, 95, 55}));
    EXPECT_EQ(tree->bounds()[1], (BRect{64, 5, 20, 95}));
    EXPECT_TRUE(tree->detectCollisions());

    // 150 × 160 at (200, 300): lower-left corner (125, 220).
    tree->setPosition(Point(200, 300));
    EXPECT_TRUE(tree->containsPoint(Point(200, 360)));  // crown: x 155..250, y 325..380
    EXPECT_FALSE(tree->containsPoint(Point(130, 230))); // on the picture, in neither rectangle
    EXPECT_TRUE(tree->containsPoint(Point(195, 240)));  // trunk: x 189..209, y 225..320
    EXPECT_TRUE(tree->containsPoint(Point(155, 325)));
    EXPECT_FALSE(tree->containsPoint(Point(250, 350)));
    EXPECT_FALSE(tree->containsPoint(Point(200, 380)));

    // At 0.5 the corner moves to (162.5, 260) but the offsets stay: crown x 192.5..240,
    // y 365..392.5; trunk x 226.5..236.5, y 265..312.5.
    tree->setScale(0.5f);
    EXPECT_TRUE(tree->containsPoint(Point(192.5f, 365)));
    EXPECT_FALSE(tree->containsPoint(Point(192.4f, 370)));
    EXPECT_FALSE(tree->containsPoint(Point(240, 370)));
    EXPECT_TRUE(tree->containsPoint(Point(230, 312)));
    EXPECT_FALSE(tree->containsPoint(Point(230, 312.5f)));
    EXPECT_FALSE(tree->containsPoint(Point(195, 240))); // the trunk at scale 1
    EXPECT_FALSE(tree->containsPoint(Point(200, 360))); // the crown at scale 1 no longer
    // The crown reaches above the unscaled picture's top (380), which still bounds the test.
    EXPECT_FALSE(tree->containsPoint(Point(200, 385)));
}

TEST_F(PropTest, CarIsNeverHitOutsideItsPicture) {
    auto car = Car::car();
    ASSERT_TRUE(car);
    ASSERT_EQ(car->bounds().size(), 2u);
    EXPECT_EQ(car->bounds()[0], (BRect{5, 8, 188, 50}));
    EXPECT_EQ(car->bounds()[1], (BRect{70, 55, 120, 25}));
    auto stage = ColorLayer::layerWithColor(ccColor4B{0, 0, 0, 0}, 480, 320);
    stage->setPosition(Point(7, -3));
    stage->addChild(car);
    car->setPosition(Point(200, 100));
    for (float scale : {0.5f, 1.0f, 1.6f, 3.0f}) {
        car->setScale(scale);
        int hits = 0;
        for (float x = -100; x <= 500; x += 2.5f)
            for (float y = -100; y <= 300; y += 2.5f) {
                const Point p(x, y);
                if (!car->containsPoint(p))
                    continue;
                ++hits;
                ASSERT_TRUE(car->CCSprite::containsPoint(p)) << scale << " " << x << "," << y;
            }
        EXPECT_GT(hits, 0) << scale;
    }
    // Inside the picture but above the cabin: not the car.
    car->setScale(1);
    EXPECT_FALSE(car->containsPoint(Point(200 - 100 + 7 + 2, 100 - 45 - 3 + 88)));
    EXPECT_TRUE(car->CCSprite::containsPoint(Point(200 - 100 + 7 + 2, 100 - 45 - 3 + 88)));
}

TEST_F(PropTest, PropWithoutRectanglesAnswersLikeAnySprite) {
    auto box = BoundingSprite::spriteWithFile("box.png");
    ASSERT_TRUE(box);
    EXPECT_TRUE(box->bounds().empty());
    box->setPosition(Point(60, 60));
    box->setScale(2);
    box->setRotation(30);
    auto layer = Layer::node();
    layer->setPosition(Point(5, 5));
    layer->addChild(box);
    for (float x = 0; x < 130; x += 1.5f)
        for (float y = 0; y < 130; y += 1.5f)
            ASSERT_EQ(box->containsPoint(Point(x, y)), box->CCSprite::containsPoint(Point(x, y)));
    EXPECT_EQ(BoundingSprite::spriteWithFile("missing.png"), nullptr);
}

TEST_F(PropTest, CopiesKeepRectanglesAndCollisionFlag) {
    auto tree = Tree::tree();
    tree->setPosition(Point(200, 300));
    tree->setScale(0.8f);
    tree->setDetectCollisions(false);
    auto copy = std::dynamic_pointer_cast<Tree>(tree->copy());
    ASSERT_TRUE(copy);
    EXPECT_EQ(copy->bounds(), tree->bounds());
    EXPECT_FALSE(copy->detectCollisions());
    for (float x = 100; x < 300; x += 3)
        for (float y = 200; y < 400; y += 3)
            ASSERT_EQ(copy->containsPoint(Point(x, y)), tree->containsPoint(Point(x, y)));

    auto blood = BoundingSprite::spriteWithFile("blood.png");
    blood->setDetectCollisions(false);
    auto bloodCopy = std::dynamic_pointer_cast<BoundingSprite>(blood->copy());
    ASSERT_TRUE(bloodCopy);
    EXPECT_EQ(typeid(*bloodCopy), typeid(BoundingSprite));
    EXPECT_FALSE(bloodCopy->detectCollisions());
}

TEST_F(PropTest, StoredPropsCollideAgainAndTreesAndCarsKeepTheirRectangles) {
    auto blood = BoundingSprite::spriteWithFile("blood.png");
    blood->setDetectCollisions(false);
    blood->setPosition(Point(10, 20));
    const QVariantMap d = blood->serialize();
    EXPECT_EQ(d.size(), 6);
    EXPECT_EQ(d.value("className").toString(), "BoundingSprite");
    auto back = BoundingSprite::unserialize(d);
    ASSERT_TRUE(back);
    EXPECT_TRUE(back->detectCollisions());
    EXPECT_EQ(back->textureName(), "blood.png");
    EXPECT_EQ(back->position(), Point(10, 20));

    QVariantMap car = Car::car()->serialize();
    car.insert("textureName", "box.png");
    auto c = Car::unserialize(car);
    ASSERT_TRUE(c);
    EXPECT_EQ(c->textureName(), "car.png");
    EXPECT_EQ(c->bounds().size(), 2u);
}

TEST_F(PropTest, BubbleLabelIsLaidOutInsideThePicture) {
    auto bubble = SpeechBubble::spriteWithFile("speech-bubble.png"); // 120 × 80
    ASSERT_TRUE(bubble);
    Label* label = bubble->label();
    ASSERT_TRUE(label);
    ASSERT_EQ(bubble->children().size(), 1u);
    EXPECT_EQ(bubble->children()[0].get(), label);
    EXPECT_EQ(label->dimensions(), Size(114, 76));
    EXPECT_EQ(label->alignment(), 1);
    EXPECT_EQ(label->fontName(), "Helvetica");
    EXPECT_EQ(label->fontSize(), 16.0f);
    EXPECT_EQ(label->color(), (ccColor3B{0, 0, 0}));
    EXPECT_EQ(label->position(), Point(60, 40));
    EXPECT_EQ(label->scale(), 0.8f);
    EXPECT_TRUE(bubble->text().isEmpty());
    EXPECT_TRUE(bubble->detectCollisions());
    EXPECT_TRUE(bubble->bounds().empty());

    // The label sits lower than the centre by (60 - h) / 2 for the measured height h.
    const QString one = "Double tap to change text";
    bubble->setText(one);
    const float h1 = ccSizeWithFont(one, "Helvetica", 16, Size(114, 76)).height;
    EXPECT_GT(h1, 0);
    EXPECT_EQ(bubble->text(), one);
    EXPECT_EQ(label->string(), one);
    EXPECT_EQ(label->position(), Point(60, 40 - (60 - h1) / 2));

    // Wrapped to more lines the text grows taller and the label moves up.
    const QString longer = "Double tap to change text, then tap again to change it once more";
    bubble->setText(longer);
    const float h2 = ccSizeWithFont(longer, "Helvetica", 16, Size(114, 76)).height;
    EXPECT_GT(h2, h1);
    EXPECT_EQ(label->position(), Point(60, 40 - (60 - h2) / 2));
    bubble->setText("");
    EXPECT_EQ(label->position(), Point(60, 10));
}

TEST_F(PropTest, BubbleCopiesAndStoresItsText) {
    auto bubble = SpeechBubble::spriteWithFile("speech-bubble-l.png");
    ASSERT_TRUE(bubble);
    bubble->setText("Hello there");
    bubble->setDetectCollisions(false);
    bubble->setPosition(Point(100, 200));
    bubble->label()->setVisible(false); // as the onion skin leaves it

    auto copy = std::dynamic_pointer_cast<SpeechBubble>(bubble->copy());
    ASSERT_TRUE(copy);
    EXPECT_EQ(copy->text(), "Hello there");
    EXPECT_EQ(copy->label()->string(), "Hello there");
    EXPECT_EQ(copy->label()->position(), bubble->label()->position());
    EXPECT_TRUE(copy->label()->visible());
    EXPECT_TRUE(copy->detectCollisions());
    EXPECT_EQ(copy->children().size(), 1u);

    const QVariantMap d = bubble->serialize();
    EXPECT_EQ(d.value("bubbleText").toString(), "Hello there");
    EXPECT_EQ(d.value("textureName").toString(), "speech-bubble-l.png");
    auto back = SpeechBubble::unserialize(d);
    ASSERT_TRUE(back);
    EXPECT_EQ(back->text(), "Hello there");
    EXPECT_EQ(back->label()->position(), bubble->label()->position());
    EXPECT_EQ(back->position(), Point(100, 200));

    QVariantMap noText = d;
    noText.insert("bubbleText", 42);
    auto quiet = SpeechBubble::unserialize(noText);
    ASSERT_TRUE(quiet);
    EXPECT_TRUE(quiet->text().isEmpty());
    EXPECT_FALSE(quiet->text().isNull());
}

} // namespace
