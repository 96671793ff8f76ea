#include "ItemsTestSupport.h"
#include "engine/CCLayer.h"
#include "items/BoundingSprite.h"
#include "items/Bullet.h"
#include "items/Car.h"
#include "items/CopyingSprite.h"
#include "items/DictionaryValues.h"
#include "items/Hmn.h"
#include "items/ItemRegistry.h"
#include "items/JointedSprite.h"
#include "items/Knife.h"
#include "items/LazerGun.h"
#include "items/SerializableSprite.h"
#include "items/SpeechBubble.h"
#include "items/TapingSprite.h"
#include "items/Tree.h"

#include <QImage>

#include <cmath>
#include <limits>

namespace {

class ItemBaseTest : public ItemsTest {};

TEST_F(ItemBaseTest, CopyCarriesPictureGeometryTagOpacityAndLock) {
    auto box = BoundingSprite::spriteWithFile("box.png");
    ASSERT_TRUE(box);
    box->setPosition(Point(12, 34));
    box->setScale(1.5f);
    box->setRotation(-20);
    box->setTag(9);
    box->setOpacity(77);
    box->setColor(ccColor3B{1, 2, 3});
    box->setVisible(false);
    box->setLocked(true);
    auto layer = Layer::node();
    layer->addChild(box, 5);

    auto copy = box->copy();
    ASSERT_TRUE(copy);
    EXPECT_NE(copy, box);
    EXPECT_EQ(typeid(*copy), typeid(BoundingSprite));
    EXPECT_EQ(copy->textureName(), "box.png");
    EXPECT_EQ(copy->position(), Point(12, 34));
    EXPECT_EQ(copy->scale(), 1.5f);
    EXPECT_EQ(copy->rotation(), -20.0f);
    EXPECT_EQ(copy->tag(), 9);
    EXPECT_EQ(copy->opacity(), 77);
    EXPECT_TRUE(copy->locked());
    // What a fresh sprite has: no layer, visible, white, z 0.
    EXPECT_EQ(copy->parent(), nullptr);
    EXPECT_TRUE(copy->visible());
    EXPECT_EQ(copy->color(), ccWHITE);
    EXPECT_EQ(copy->zOrder(), 0);

    box->setLocked(false);
    EXPECT_FALSE(box->copy()->locked());
    // The kind's copy alone does not carry the lock.
    box->setLocked(true);
    EXPECT_FALSE(std::dynamic_pointer_cast<LockingSprite>(box->copyWithZone())->locked());
}

TEST_F(ItemBaseTest, CopyOfAnySpriteKeepsItsKind) {
    auto plain = Sprite::spriteWithFile("box.png");
    plain->setPosition(Point(5, 6));
    auto c = copySprite(*plain);
    ASSERT_TRUE(c);
    EXPECT_EQ(typeid(*c), typeid(Sprite));
    EXPECT_EQ(c->position(), Point(5, 6));

    auto engine = CCSprite::spriteWithFile("box.png");
    EXPECT_EQ(typeid(*copySprite(*engine)), typeid(CCSprite));

    auto knife = Knife::knifeWithOrientation(2);
    knife->setLocked(true);
    auto k = copySprite(*knife);
    ASSERT_TRUE(std::dynamic_pointer_cast<Knife>(k));
    EXPECT_TRUE(std::static_pointer_cast<Knife>(k)->locked());

    // A limb copy brings joints of its own at its ends.
    auto limb = JointedSprite::spriteWithFile("arm.png");
    limb->setPosition(Point(10, 10));
    auto limbCopy = std::dynamic_pointer_cast<JointedSprite>(copySprite(*limb));
    ASSERT_TRUE(limbCopy);
    EXPECT_NE(limbCopy->headJoint(), limb->headJoint());
    EXPECT_EQ(limbCopy->headJoint()->position(), Point(10, 35));

    // Without a picture name there is nothing to copy from.
    QImage img(4, 4, QImage::Format_ARGB32);
    img.fill(Qt::red);
    EXPECT_EQ(copySprite(*Sprite::spriteWithCGImage(img)), nullptr);
}

TEST_F(ItemBaseTest, GenericDictionaryHoldsOnlyTheGenericKeys) {
    auto knife = Knife::knifeWithOrientation(1);
    knife->setPosition(Point(1.5f, -2.25f));
    knife->setScale(0.1f);
    knife->setRotation(33.3f);
    knife->setLocked(true);
    knife->setTag(5);
    knife->setOpacity(20);
    const QVariantMap d = knife->serialize();
    EXPECT_EQ(d.keys(), (QStringList{"className", "position.x", "position.y", "rotation", "scale",
                                     "textureName", "weaponOrientation"}));
    EXPECT_EQ(d.value("className").toString(), "Knife");
    EXPECT_EQ(d.value("textureName").toString(), "knife-l.png");
    for (const char* key : {"position.x", "position.y", "scale", "rotation"})
        EXPECT_EQ(d.value(key).typeId(), QMetaType::Float) << key;
    EXPECT_EQ(d.value("scale").toFloat(), 0.1f);
    EXPECT_EQ(d.value("rotation").toFloat(), 33.3f);

    auto plain = Sprite::spriteWithFile("box.png");
    const QVariantMap p = serialize(*plain);
    EXPECT_EQ(p.value("className").toString(), "Sprite");
    EXPECT_EQ(p.size(), 6);
    EXPECT_FALSE(Hmn::node()->serialize().contains("textureName"));
    EXPECT_EQ(serialize(*knife), d);
}

QVariantMap record(const char* className, const char* picture) {
    QVariantMap d;
    d.insert("className", className);
    if (picture)
        d.insert("textureName", picture);
    d.insert("position.x", 40.0);
    d.insert("position.y", qint64(50));
    d.insert("scale", 2.0);
    d.insert("rotation", 90.0f);
    return d;
}

TEST_F(ItemBaseTest, RebuildMakesTheKindAskedFor) {
    // A plain-sprite record asked of Bullet gives a Bullet with that picture.
    auto b = Bullet::unserialize(record("Sprite", "bullet.png"));
    ASSERT_TRUE(b);
    EXPECT_EQ(typeid(*b), typeid(Bullet));
    EXPECT_EQ(b->textureName(), "bullet.png");
    EXPECT_EQ(b->position(), Point(40, 50));
    EXPECT_EQ(b->scale(), 2.0f);
    EXPECT_EQ(b->rotation(), 90.0f);
    EXPECT_FALSE(b->locked());

    // No "scale": scale 0, since a missing number reads as 0.
    QVariantMap noScale = record("BoundingSprite", "box.png");
    noScale.remove("scale");
    auto box = BoundingSprite::unserialize(noScale);
    ASSERT_TRUE(box);
    EXPECT_EQ(box->scale(), 0.0f);

    // Trees and cars come from their own initializers whatever picture is named.
    auto tree = Tree::unserialize(record("Tree", "knife.png"));
    ASSERT_TRUE(tree);
    EXPECT_EQ(tree->textureName(), "tree.png");
    EXPECT_EQ(tree->bounds().size(), 2u);
    EXPECT_EQ(tree->position(), Point(40, 50));
    auto car = Car::unserialize(record("Car", nullptr));
    ASSERT_TRUE(car);
    EXPECT_EQ(car->textureName(), "car.png");
    // ... but only as a kind that holds them.
    EXPECT_EQ(Bullet::unserialize(record("Tree", nullptr)), nullptr);

    // A picture that cannot load, or no picture name, gives nothing.
    EXPECT_EQ(Bullet::unserialize(record("Bullet", "missing.png")), nullptr);
    EXPECT_EQ(BoundingSprite::unserialize(record("BoundingSprite", nullptr)), nullptr);
    EXPECT_EQ(SpeechBubble::unserialize(record("SpeechBubble", "")), nullptr);
    QVariantMap wrongType = record("Bullet", nullptr);
    wrongType.insert("textureName", 17);
    EXPECT_EQ(Bullet::unserialize(wrongType), nullptr);
}

TEST_F(ItemBaseTest, RegistryMapsStoredClassNamesToKinds) {
    auto laser = ItemRegistry::unserialize(record("Sprite", "lazer-l.png"));
    ASSERT_TRUE(laser);
    EXPECT_EQ(typeid(*laser), typeid(Bullet));
    auto plain = ItemRegistry::unserialize(record("Sprite", "box.png"));
    ASSERT_TRUE(plain);
    EXPECT_EQ(typeid(*plain), typeid(Sprite));
    EXPECT_EQ(dynamic_cast<LockingSprite*>(plain.get()), nullptr);
    EXPECT_EQ(plain->position(), Point(40, 50));

    const char* names[] = {"BoundingSprite",
                           "Knife",
                           "Gun",
                           "Grenade",
                           "Rifle",
                           "LazerGun",
                           "Cannon",
                           "Machinegun",
                           "RocketLauncher",
                           "Tank",
                           "M16",
                           "AK47",
                           "PaintBallGun",
                           "Pistol",
                           "Colt",
                           "Shuriken",
                           "Hmn",
                           "Tree",
                           "Car",
                           "Bullet",
                           "SpeechBubble"};
    for (const char* name : names) {
        SCOPED_TRACE(name);
        QVariantMap d = record(name, "speech-bubble.png");
        d.insert("weaponOrientation", 2);
        auto item = ItemRegistry::unserialize(d);
        ASSERT_TRUE(item);
        auto* lockable = dynamic_cast<LockingSprite*>(item.get());
        ASSERT_TRUE(lockable);
        EXPECT_EQ(lockable->className(), name);
        EXPECT_TRUE(ItemRegistry::isItemClassName(name));
        // Stored and read again, it is the same kind.
        auto again = ItemRegistry::unserialize(serialize(*item));
        ASSERT_TRUE(again);
        EXPECT_EQ(typeid(*again), typeid(*item));
    }
    for (const char* other : {"Sound", "Weapon", "LockingSprite", "CCSprite", "", "hmn"}) {
        EXPECT_EQ(ItemRegistry::unserialize(record(other, "box.png")), nullptr) << other;
        EXPECT_FALSE(ItemRegistry::isItemClassName(other));
    }
    QVariantMap notAString = record("Hmn", nullptr);
    notAString.insert("className", 5);
    EXPECT_EQ(ItemRegistry::unserialize(notAString), nullptr);
    EXPECT_EQ(ItemRegistry::unserialize(QVariantMap()), nullptr);
}

TEST_F(ItemBaseTest, DamagedNumbersReadAsZero) {
    using namespace dictvalues;
    QVariantMap d;
    d.insert("int", 7);
    d.insert("long", qint64(1) << 40);
    d.insert("ulong", quint64(std::numeric_limits<quint64>::max()));
    d.insert("double", -2.75);
    d.insert("float", 1.5f);
    d.insert("string", "12");
    d.insert("bool", true);
    d.insert("nan", std::nan(""));
    d.insert("inf", std::numeric_limits<double>::infinity());
    d.insert("huge", 1e300);
    d.insert("list", QVariantList{1, 2});
    EXPECT_EQ(dictReal(d, "int"), 7.0f);
    EXPECT_EQ(dictReal(d, "double"), -2.75f);
    EXPECT_EQ(dictReal(d, "float"), 1.5f);
    for (const char* bad : {"missing", "string", "bool", "nan", "inf", "list"}) {
        EXPECT_EQ(dictReal(d, bad), 0.0f) << bad;
        EXPECT_EQ(dictInteger(d, bad), 0) << bad;
    }
    // Too large for a float reads as 0; as an integer it saturates.
    EXPECT_EQ(dictReal(d, "huge"), 0.0f);
    EXPECT_EQ(dictInteger(d, "huge"), std::numeric_limits<qint64>::max());
    EXPECT_EQ(dictInteger(d, "long"), qint64(1) << 40);
    EXPECT_EQ(dictInteger(d, "ulong"), std::numeric_limits<qint64>::max());
    EXPECT_EQ(dictInteger(d, "double"), -2);
    EXPECT_EQ(dictInt(d, "long"), std::numeric_limits<int>::max());
    d.insert("big", 1e19);
    EXPECT_EQ(dictInteger(d, "big"), std::numeric_limits<qint64>::max());
    d.insert("small", -1e19);
    EXPECT_EQ(dictInt(d, "small"), std::numeric_limits<int>::min());
    EXPECT_EQ(dictString(d, "string"), "12");
    EXPECT_TRUE(dictString(d, "int").isNull());
    EXPECT_TRUE(dictString(d, "missing").isNull());
}

TEST_F(ItemBaseTest, DamagedRecordsStillGiveWholeItems) {
    QVariantMap d = record("Hmn", nullptr);
    d.insert("position.x", "far away");
    d.insert("scale", std::nan(""));
    d.insert("colorRed", 300);
    d.insert("head.head.x", std::numeric_limits<double>::infinity());
    auto h = std::dynamic_pointer_cast<Hmn>(ItemRegistry::unserialize(d));
    ASSERT_TRUE(h);
    EXPECT_EQ(h->hScale(), 0.0f);
    EXPECT_EQ(h->hmnColor().red, uint8_t(300 % 256));
    EXPECT_EQ(h->position().x, h->body()->position().x);
    for (const auto& child : h->children()) {
        EXPECT_TRUE(std::isfinite(child->position().x));
        EXPECT_TRUE(std::isfinite(child->position().y));
    }
}

class Receiver {
public:
    void tapped(TapingSprite* s) {
        ++taps;
        last = s;
    }
    int taps = 0;
    TapingSprite* last = nullptr;
};

TEST_F(ItemBaseTest, TapReachesOnlyTheLatestTargetAndKeepsItAlive) {
    auto button = TapingSprite::spriteWithFile("box.png");
    ASSERT_TRUE(button);
    button->tap(); // no target: nothing happens
    EXPECT_FALSE(button->hasTarget());

    auto first = std::make_shared<Receiver>();
    auto second = std::make_shared<Receiver>();
    std::weak_ptr<Receiver> firstAlive = first, secondAlive = second;
    button->addTarget(first, &Receiver::tapped);
    button->addTarget(second, &Receiver::tapped);
    Receiver* secondRaw = second.get();
    first.reset();
    second.reset();
    EXPECT_TRUE(firstAlive.expired());   // let go when replaced
    ASSERT_FALSE(secondAlive.expired()); // kept while set
    button->tap();
    EXPECT_EQ(secondRaw->taps, 1);
    EXPECT_EQ(secondRaw->last, button.get());
    button.reset();
    EXPECT_TRUE(secondAlive.expired()); // let go with the sprite
}

} // namespace
