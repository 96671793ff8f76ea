#include "editor/Catalogue.h"
#include "editor/Palettes.h"
#include "engine/CCAction.h"
#include "engine/CCDirector.h"
#include "engine/CCScheduler.h"
#include "engine/CCScrollView.h"
#include "engine/CCTouchDispatcher.h"
#include "items/Hmn.h"
#include "items/SpeechBubble.h"
#include "items/TapingSprite.h"
#include "items/Weapon.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

constexpr float kFrame = 1.0f / 60;

struct RecordingDelegate : PaletteDelegate {
    void addSprite(const std::shared_ptr<CCSprite>& item) override { added.push_back(item); }
    void showLocks() override { ++locks; }
    void showSounds() override { ++sounds; }
    std::vector<std::shared_ptr<CCSprite>> added;
    int locks = 0;
    int sounds = 0;
};

// The palettes built on a running scene over a stage layer, with the program's own pictures on
// a standard screen. Fingers go through the engine's touch dispatcher.
class PaletteTest : public ::testing::Test {
protected:
    void SetUp() override {
        resetEngine();
        scene = Scene::node();
        stage = ColorLayer::layerWithColor(ccColor4B{255, 255, 255, 0}, 480, 320);
        scene->addChild(stage);
        palettes = std::make_unique<Palettes>(*scene, delegate);
        CCDirector::sharedDirector().replaceScene(scene);
    }
    void TearDown() override {
        palettes.reset();
        resetEngine();
    }
    static void resetEngine() {
        CCDirector& d = CCDirector::sharedDirector();
        d.end();
        d.setOpenGLView(nullptr);
        d.setContentScaleFactor(1);
        CCTouchDispatcher::sharedDispatcher().removeAllDelegates();
        CCScheduler::sharedScheduler().unscheduleAllSelectors();
        CCActionManager::sharedManager().removeAllActions();
    }
    // Display frames for at least `seconds`.
    static void run(float seconds) {
        for (float t = 0; t < seconds; t += kFrame)
            CCScheduler::sharedScheduler().tick(kFrame);
    }

    // A scene point as the drawing surface reports it (origin top-left).
    static Point view(Point scenePoint) { return Point(scenePoint.x, 320 - scenePoint.y); }
    static Point onScene(CCScrollView* palette, CCNode* entry) {
        return palette->container_()->convertToWorldSpace(entry->position());
    }
    // One finger pressed at `from`, moved through `path` and lifted, in scene points.
    void finger(Point from, std::vector<Point> path = {}) {
        auto t = std::make_shared<Touch>(view(from), 1);
        TouchSet set{t};
        TouchEvent ev(set);
        auto& d = CCTouchDispatcher::sharedDispatcher();
        d.touchesBegan(set, &ev);
        for (Point p : path) {
            t->moveTo(view(p));
            d.touchesMoved(set, &ev);
        }
        d.touchesEnded(set, &ev);
    }
    // Scrolls an entry to the middle of its palette and taps it.
    void tapEntry(CCScrollView* palette, CCNode* entry) {
        palette->setContentOffset(Point(240 - entry->position().x, 0));
        finger(onScene(palette, entry));
    }

    RecordingDelegate delegate;
    std::shared_ptr<CCScene> scene;
    std::shared_ptr<ColorLayer> stage;
    std::unique_ptr<Palettes> palettes;
};

// Every entry as the catalogue tables give it: name, then the kind made when it is not a plain
// prop ("-" for none), and for weapons the facing and the picture the item draws when it is not
// named after the entry. Props of tags 1 to 6 stop bullets, bubbles keep their own setting;
// weapons up to tag 15 come at scale 0.6.
const QStringList kObjects =
    QString(
        "box, tree Tree, car Car, chair, door, mail, blood, expl, blood-pool, flash, flash-l, "
        "guitar, guitar-l, katana, katana-l, sportcar, helicopter, helicopter-l, bullet, sword, "
        "sword-l, shield, fire, fire-1, fire-2, speech-bubble SpeechBubble, "
        "speech-bubble-l SpeechBubble, axe, axe-l, bat, coffin-closed, coffin-open, dirt, "
        "paint-red, pain-blue, paint-green, paint-orange, paint-yellow, shovel, lock-unlocked -, "
        "speaker -")
        .split(", ");
const QStringList kWeapons =
    QString(
        "knife-l Knife 1, knife Knife 2, gun-l Gun 1, gun Gun 2, rifle-l Rifle 1, rifle Rifle 2, "
        "lazergun-l LazerGun 1, lazergun LazerGun 2, grenade Grenade 2, cannon-l Cannon 1, "
        "cannon Cannon 2, pistol-l Pistol 1, pistol Pistol 2, colt-l Colt 1, colt Colt 2, "
        "shuriken Shuriken 2, mgun-l Machinegun 1, mgun Machinegun 2, "
        "launcher-l RocketLauncher 1, launcher RocketLauncher 2, tank-l-btn Tank 1 tank-l, "
        "tank-btn Tank 2 tank, m16-l M16 1, m16 M16 2, ak47-l AK47 1, ak47 AK47 2, "
        "pbgun-l PaintBallGun 1, pbgun PaintBallGun 2")
        .split(", ");

TEST_F(PaletteTest, EveryEntryAddsItsItemPlacedAndSetUp) {
    ASSERT_EQ(kObjects.size(), 41);
    ASSERT_EQ(kWeapons.size(), 28);
    ASSERT_EQ(Catalogue::objects().size(), kObjects.size());
    ASSERT_EQ(Catalogue::weapons().size(), kWeapons.size());
    const bool bubbleOwn = SpeechBubble::spriteWithFile("speech-bubble.png")->detectCollisions();
    for (const bool weapons : {false, true}) {
        const int count = int((weapons ? kWeapons : kObjects).size());
        for (int tag = 1; tag <= count; ++tag) {
            const QStringList row = (weapons ? kWeapons : kObjects)[tag - 1].split(' ');
            SCOPED_TRACE(row.join(' ').toStdString());
            const QString kind = row.value(1, "BoundingSprite");
            EXPECT_EQ((weapons ? Catalogue::weaponName(tag) : Catalogue::objectName(tag)), row[0]);
            delegate.added.clear();
            weapons ? palettes->addWeapon(tag) : palettes->addObject(tag);
            if (kind == "-") {
                EXPECT_TRUE(delegate.added.empty());
                continue;
            }
            ASSERT_EQ(delegate.added.size(), 1u);
            auto* item = dynamic_cast<LockingSprite*>(delegate.added[0].get());
            ASSERT_NE(item, nullptr);
            EXPECT_EQ(item->className(), kind);
            EXPECT_EQ(item->textureName(), row.value(3, row[0]) + ".png");
            EXPECT_EQ(item->position(), Point(100, 100));
            EXPECT_FLOAT_EQ(item->scale(), weapons && tag <= 15 ? 0.6f : 1);
            if (weapons) {
                EXPECT_EQ(dynamic_cast<Weapon&>(*item).orientation(), row[2].toInt());
            } else if (kind == "SpeechBubble") {
                auto& bubble = dynamic_cast<SpeechBubble&>(*item);
                EXPECT_EQ(bubble.detectCollisions(), bubbleOwn);
                EXPECT_EQ(bubble.text(), "Double tap to change text");
            } else {
                EXPECT_EQ(dynamic_cast<BoundingSprite&>(*item).detectCollisions(), tag <= 6);
            }
        }
    }
    EXPECT_EQ(delegate.locks + delegate.sounds, 0);
    for (int tag : {0, 42})
        EXPECT_EQ(Catalogue::makeObject(tag), nullptr);
    EXPECT_EQ(Catalogue::makeWeapon(29), nullptr);

    palettes->addPlayer();
    auto* figure = dynamic_cast<Hmn*>(delegate.added.back().get());
    ASSERT_NE(figure, nullptr);
    EXPECT_EQ(figure->position(), Point(240, 160));
    EXPECT_FLOAT_EQ(figure->hScale(), 0.3f);
    EXPECT_FALSE(figure->body()->showJoints());
}

// Entries sit 60 points in, each step as wide as the wider of two neighbouring pictures plus
// a gap: 20 for weapons, 30 for objects, but 50 after "bat", none after "shovel" (30 less) and
// 90 after "paint-yellow" (60 more). The strip ends 20 points after the last step.
TEST_F(PaletteTest, EntriesAreSpacedByTheirPicturesWithTheObjectStripsExceptions) {
    for (const bool weapons : {false, true}) {
        CCScrollView* strip = weapons ? palettes->weaponsScroll() : palettes->objectsScroll();
        const QStringList& names = weapons ? Catalogue::weapons() : Catalogue::objects();
        auto entry = [&](int i) {
            return weapons ? palettes->weaponEntry(i + 1) : palettes->objectEntry(i + 1);
        };
        auto gapAfter = [&](int i) -> float {
            const QString& n = names[i];
            return weapons               ? 20
                   : n == "bat"          ? 50
                   : n == "shovel"       ? 0
                   : n == "paint-yellow" ? 90
                                         : 30;
        };
        const int n = int(names.size());
        for (int i = 0; i < n; ++i)
            ASSERT_NE(entry(i), nullptr) << names[i].toStdString();
        EXPECT_EQ(entry(0)->position(), Point(60, Palettes::kStripHeight / 2));
        for (int i = 0; i + 1 < n; ++i)
            EXPECT_FLOAT_EQ(
                entry(i + 1)->position().x - entry(i)->position().x,
                std::max(entry(i)->contentSize().width, entry(i + 1)->contentSize().width) +
                    gapAfter(i))
                << names[i].toStdString();
        EXPECT_EQ(strip->contentSize(),
                  Size(entry(n - 1)->position().x + entry(n - 1)->contentSize().width +
                           gapAfter(n - 1) + 20,
                       Palettes::kStripHeight));
        EXPECT_EQ(strip->viewSize(), Size(480, Palettes::kStripHeight));
        EXPECT_EQ(strip->direction(), CCScrollViewDirectionHorizontal);
        EXPECT_EQ(strip->position(), Point(0, 320));
    }
    // Objects show their button pictures where the art has one.
    EXPECT_EQ(palettes->objectEntry(1)->textureName(), "box.png");
    EXPECT_EQ(palettes->objectEntry(2)->textureName(), "tree-btn.png");
    EXPECT_EQ(palettes->weaponEntry(21)->textureName(), "tank-l-btn.png");

    // Widths are points: the high-resolution pictures lay out the same strips.
    const Size standard = palettes->objectsScroll()->contentSize();
    palettes.reset();
    CCDirector::sharedDirector().setContentScaleFactor(2);
    palettes = std::make_unique<Palettes>(*scene, delegate);
    EXPECT_EQ(palettes->objectsScroll()->contentSize(), standard);
    TapingSprite* tree = palettes->objectEntry(2);
    EXPECT_EQ(tree->texture()->pixelsWide(), 2 * tree->contentSize().width) << "-hd picture";
}

TEST_F(PaletteTest, ShowingOnePaletteHidesTheOtherAndFlagsChangeAtOnce) {
    CCScrollView* objects = palettes->objectsScroll();
    CCScrollView* weapons = palettes->weaponsScroll();
    const float shown = 320 - Palettes::kStripHeight;
    EXPECT_FALSE(palettes->objectsVisible() || palettes->weaponsVisible());
    palettes->toggleObjects();
    EXPECT_TRUE(palettes->objectsVisible());
    run(0.15f + kFrame);
    EXPECT_EQ(objects->position().y, shown);

    palettes->toggleWeapons(); // both slide at the same time
    EXPECT_TRUE(palettes->weaponsVisible());
    EXPECT_FALSE(palettes->objectsVisible());
    run(0.075f);
    EXPECT_GT(objects->position().y, shown);
    EXPECT_LT(weapons->position().y, 320);
    run(0.075f + kFrame);
    EXPECT_EQ(objects->position().y, 320);
    EXPECT_EQ(weapons->position().y, shown);

    // A second toggle during a slide turns back at once from where the palette is.
    palettes->toggleWeapons();
    EXPECT_FALSE(palettes->weaponsVisible());
    run(0.05f);
    const float turnedAt = weapons->position().y;
    palettes->toggleWeapons();
    run(kFrame);
    EXPECT_LT(weapons->position().y, turnedAt);
    run(0.15f);
    EXPECT_EQ(weapons->position().y, shown);
}

TEST_F(PaletteTest, BasketFadesInTheLowerRightCornerUnderThePalettes) {
    CCSprite* basket = palettes->basket();
    ASSERT_NE(basket, nullptr);
    EXPECT_EQ(basket->opacity(), 0);
    EXPECT_FLOAT_EQ(basket->scale(), 0.5f);
    const Point centre = palettes->basketHolder()->convertToWorldSpace(basket->position());
    EXPECT_EQ(centre, Point(480 - 30, basket->contentSize().height - 30));
    EXPECT_TRUE(palettes->basketContainsScreenPoint(centre));
    EXPECT_FALSE(palettes->basketContainsScreenPoint(Point(240, 160)));

    palettes->toggleBasket();
    EXPECT_TRUE(palettes->basketVisible());
    run(0.1f);
    EXPECT_GT(basket->opacity(), 0);
    EXPECT_LT(basket->opacity(), 150);
    run(0.1f + kFrame);
    EXPECT_EQ(basket->opacity(), 150);
    palettes->toggleBasket();
    EXPECT_FALSE(palettes->basketVisible());
    run(0.2f + kFrame);
    EXPECT_EQ(basket->opacity(), 0);

    const std::vector<CCNode*> order = {stage.get(), palettes->basketHolder(),
                                        palettes->weaponsScroll(), palettes->objectsScroll()};
    ASSERT_EQ(scene->children().size(), order.size());
    for (size_t i = 0; i < order.size(); ++i)
        EXPECT_EQ(scene->children()[i].get(), order[i]);
    palettes.reset();
    EXPECT_EQ(scene->children().size(), 1u);
}

TEST_F(PaletteTest, TapsOnShownEntriesReachTheDelegate) {
    CCScrollView* objects = palettes->objectsScroll();
    finger(Point(onScene(objects, palettes->objectEntry(1)).x, 300));
    EXPECT_TRUE(delegate.added.empty()) << "nothing there while hidden";

    palettes->showObjects(true);
    run(0.15f + kFrame);
    tapEntry(objects, palettes->objectEntry(2));
    tapEntry(objects, palettes->objectEntry(Catalogue::kLocksTag));
    tapEntry(objects, palettes->objectEntry(Catalogue::kSoundsTag));
    ASSERT_EQ(delegate.added.size(), 1u);
    EXPECT_EQ(dynamic_cast<LockingSprite&>(*delegate.added[0]).className(), "Tree");
    EXPECT_EQ(delegate.locks, 1);
    EXPECT_EQ(delegate.sounds, 1);

    palettes->showWeapons(true);
    run(0.15f + kFrame);
    tapEntry(palettes->weaponsScroll(), palettes->weaponEntry(15));
    ASSERT_EQ(delegate.added.size(), 2u);
    EXPECT_EQ(dynamic_cast<LockingSprite&>(*delegate.added[1]).className(), "Colt");
    EXPECT_TRUE(palettes->weaponsVisible()) << "adding never closes a palette";
}

// Dragging an item up from the stage and letting go over an entry adds nothing; the stage in
// turn leaves alone the touches that begin on a shown palette.
TEST_F(PaletteTest, OnlyTouchesThatBeganOnAShownPaletteBelongToIt) {
    CCScrollView* objects = palettes->objectsScroll();
    const Point stagePoint(200, 100);
    EXPECT_FALSE(palettes->shownPaletteContains(Point(100, 300)));
    palettes->showObjects(true);
    run(0.15f + kFrame);
    const Point entry = onScene(objects, palettes->objectEntry(1));
    EXPECT_TRUE(palettes->shownPaletteContains(entry));
    EXPECT_FALSE(palettes->shownPaletteContains(stagePoint));

    finger(stagePoint, {Point(200, 200), entry});
    EXPECT_TRUE(delegate.added.empty());
    EXPECT_EQ(objects->contentOffset(), Point(0, 0));
    finger(entry);
    EXPECT_EQ(delegate.added.size(), 1u);
    palettes->hideObjects(true);
    EXPECT_FALSE(palettes->shownPaletteContains(entry)) << "hidden from the moment it goes";
}

} // namespace
