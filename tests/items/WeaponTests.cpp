#include "ItemsTestSupport.h"
#include "base/Exception.h"
#include "engine/CCLayer.h"
#include "items/AK47.h"
#include "items/Cannon.h"
#include "items/Colt.h"
#include "items/Grenade.h"
#include "items/Gun.h"
#include "items/Knife.h"
#include "items/LazerGun.h"
#include "items/M16.h"
#include "items/Machinegun.h"
#include "items/PaintBallGun.h"
#include "items/Pistol.h"
#include "items/Rifle.h"
#include "items/RocketLauncher.h"
#include "items/Shuriken.h"
#include "items/Tank.h"

#include <functional>

namespace {

class WeaponTest : public ItemsTest {};

// The stage layer is a colour layer, not of the plain `Layer` class.
class StageLayer : public ColorLayer {};

struct Kind {
    const char* name;
    std::function<std::shared_ptr<Weapon>(int)> make;
    const char* picture1;
    const char* picture2;
    const char* bullet1; // null for thrown weapons
    const char* bullet2;
    float bulletScale;
};

const std::vector<Kind>& kinds() {
    static const std::vector<Kind> all = {
        {"Knife", Knife::knifeWithOrientation, "knife-l.png", "knife.png", nullptr, nullptr, 0},
        {"Gun", Gun::gunWithOrientation, "gun-l.png", "gun.png", "bullet-l.png", "bullet.png", 1},
        {"Rifle", Rifle::rifleWithOrientation, "rifle-l.png", "rifle.png", "bullet-l.png",
         "bullet.png", 1},
        {"LazerGun", LazerGun::lazerGunWithOrientation, "lazergun-l.png", "lazergun.png",
         "lazer-l.png", "lazer-l.png", 1},
        {"Grenade", Grenade::grenadeWithOrientation, "grenade.png", "grenade.png", nullptr, nullptr,
         0},
        {"Cannon", Cannon::cannonWithOrientation, "cannon-l.png", "cannon.png", "cannon-bullet.png",
         "cannon-bullet.png", 1},
        {"Pistol", Pistol::pistolWithOrientation, "pistol-l.png", "pistol.png", "bullet-l.png",
         "bullet.png", 1},
        {"Colt", Colt::coltWithOrientation, "colt-l.png", "colt.png", "bullet-l.png", "bullet.png",
         1},
        {"Shuriken", Shuriken::shurikenWithOrientation, "shuriken.png", "shuriken.png", nullptr,
         nullptr, 0},
        {"Machinegun", Machinegun::machinegunWithOrientation, "mgun-l.png", "mgun.png",
         "mgbull.png", "mgbull.png", 1},
        {"RocketLauncher", RocketLauncher::rocketLauncherWithOrientation, "launcher-l.png",
         "launcher.png", "rocket-l.png", "rocket.png", 1},
        {"Tank", Tank::tankWithOrientation, "tank-l.png", "tank.png", "tankbomb-l.png",
         "tankbomb.png", 1},
        {"M16", M16::m16WithOrientation, "m16-l.png", "m16.png", "bullet-l.png", "bullet.png", 1},
        {"AK47", AK47::ak47WithOrientation, "ak47-l.png", "ak47.png", "bullet-l.png", "bullet.png",
         1},
        {"PaintBallGun", PaintBallGun::paintBallGunWithOrientation, "pbgun-l.png", "pbgun.png",
         "cannon-bullet.png", "cannon-bullet.png", 0.3f},
    };
    return all;
}

TEST_F(WeaponTest, EveryKindTakesItsPicturesFromItsOrientation) {
    for (const Kind& k : kinds()) {
        SCOPED_TRACE(k.name);
        for (int orientation : {1, 2, 0, 7}) {
            auto w = k.make(orientation);
            ASSERT_TRUE(w);
            EXPECT_EQ(w->className(), k.name);
            EXPECT_EQ(w->orientation(), orientation); // kept exactly as given
            EXPECT_EQ(w->textureName(), orientation == 1 ? k.picture1 : k.picture2);
            auto travelling = w->bullet();
            ASSERT_TRUE(travelling);
            if (!k.bullet1) {
                EXPECT_EQ(travelling, w); // thrown: the weapon itself
                continue;
            }
            ASSERT_TRUE(std::dynamic_pointer_cast<Bullet>(travelling));
            EXPECT_EQ(travelling->textureName(), orientation == 1 ? k.bullet1 : k.bullet2);
            EXPECT_EQ(travelling->scale(), k.bulletScale);
            EXPECT_EQ(travelling->parent(), nullptr);
        }
    }
}

TEST_F(WeaponTest, BareWeaponCannotBeBuilt) {
    auto w = std::make_shared<Weapon>();
    try {
        w->initWithOrientation(1);
        FAIL() << "no exception";
    } catch (const ContractFailure& e) {
        EXPECT_EQ(e.name(), "Weapon initWithOrientation");
        EXPECT_EQ(e.reason(), "+[Weapon initWithOrientation:] Must be overridden");
    }
}

std::shared_ptr<Weapon> placed(std::shared_ptr<Weapon> w, float rotation = 0) {
    w->setPosition(Point(100, 100));
    w->setRotation(rotation);
    return w;
}

TEST_F(WeaponTest, FiringPointsOfGunsAndTheirAdjustments) {
    // 40 × 20 pictures: the muzzle ends 20 from the centre, raised by 4.
    EXPECT_EQ(placed(Gun::gunWithOrientation(1))->shootingStartPoint(), Point(120, 104));
    EXPECT_EQ(placed(Gun::gunWithOrientation(2))->shootingStartPoint(), Point(80, 104));
    // Any facing but 2 fires from the right end.
    EXPECT_EQ(placed(Gun::gunWithOrientation(0))->shootingStartPoint(), Point(120, 104));
    // Turned clockwise, the right end points down; the raise does not turn.
    const Point turned = placed(Gun::gunWithOrientation(1), 90)->shootingStartPoint();
    EXPECT_FLOAT_EQ(turned.x, 100);
    EXPECT_FLOAT_EQ(turned.y, 84);
    const Point turned2 = placed(Gun::gunWithOrientation(2), 90)->shootingStartPoint();
    EXPECT_FLOAT_EQ(turned2.x, 100);
    EXPECT_FLOAT_EQ(turned2.y, 124);

    EXPECT_EQ(placed(Pistol::pistolWithOrientation(1))->shootingStartPoint(), Point(108, 96));
    EXPECT_EQ(placed(Pistol::pistolWithOrientation(2))->shootingStartPoint(), Point(92, 96));
    // Facing 0: the right end, but the offset of "not 1".
    EXPECT_EQ(placed(Pistol::pistolWithOrientation(0))->shootingStartPoint(), Point(132, 96));

    for (float rotation : {0.0f, 37.0f, -120.0f}) {
        auto tank = placed(Tank::tankWithOrientation(1), rotation);
        auto gun = placed(Gun::gunWithOrientation(1), rotation); // same 40 × 20 picture
        const Point t = tank->shootingStartPoint(), g = gun->shootingStartPoint();
        EXPECT_EQ(t.x, g.x);
        EXPECT_FLOAT_EQ(t.y, g.y + 23);
    }

    // Colt 36 × 20: ends 18 from the centre; cannon 60 × 30: 30, raised 6; M16 60 × 18: 30, 3.6.
    EXPECT_EQ(placed(Colt::coltWithOrientation(1))->shootingStartPoint(), Point(108, 104));
    EXPECT_EQ(placed(Colt::coltWithOrientation(2))->shootingStartPoint(), Point(92, 104));
    EXPECT_EQ(placed(Cannon::cannonWithOrientation(2))->shootingStartPoint(), Point(70, 96));
    const Point m16 = placed(M16::m16WithOrientation(1))->shootingStartPoint();
    EXPECT_FLOAT_EQ(m16.x, 133);
    EXPECT_FLOAT_EQ(m16.y, 100.6f);

    // Scale counts for the picture, not for the adjustments.
    auto scaled = placed(Pistol::pistolWithOrientation(1));
    scaled->setScale(2);
    EXPECT_EQ(scaled->shootingStartPoint(), Point(128, 100));

    auto shuriken = placed(Shuriken::shurikenWithOrientation(2), 45);
    EXPECT_EQ(shuriken->shootingStartPoint(), Point(100, 100));
}

TEST_F(WeaponTest, ShotStartsWithinTheSquareAroundTheFiringPoint) {
    auto gun = placed(Gun::gunWithOrientation(1)); // fires from (120, 104)
    EXPECT_TRUE(gun->canPerformShootingAtPoint(Point(134.9f, 104)));
    EXPECT_FALSE(gun->canPerformShootingAtPoint(Point(135, 104)));
    EXPECT_TRUE(gun->canPerformShootingAtPoint(Point(105, 89)));
    EXPECT_FALSE(gun->canPerformShootingAtPoint(Point(104.9f, 104)));
    EXPECT_FALSE(gun->canPerformShootingAtPoint(Point(120, 119)));
    EXPECT_FALSE(gun->canPerformShootingAtPoint(Point(100, 100))); // on the picture, not the muzzle

    // Thrown weapons start from a touch on their own picture (20 × 20 at (100, 100)).
    auto shuriken = placed(Shuriken::shurikenWithOrientation(1));
    EXPECT_TRUE(shuriken->canPerformShootingAtPoint(Point(100, 100)));
    EXPECT_TRUE(shuriken->canPerformShootingAtPoint(Point(90, 90)));
    EXPECT_FALSE(shuriken->canPerformShootingAtPoint(Point(110, 100)));
    // ... shifted by a layer parent like any sprite.
    auto stage = std::make_shared<StageLayer>();
    stage->setPosition(Point(50, 0));
    stage->addChild(shuriken);
    EXPECT_TRUE(shuriken->canPerformShootingAtPoint(Point(150, 100)));
    EXPECT_FALSE(shuriken->canPerformShootingAtPoint(Point(100, 100)));
}

TEST_F(WeaponTest, ShootingPutsTheBulletOnTheStageAtTheMuzzle) {
    auto stage = std::make_shared<StageLayer>();
    auto gun = placed(Gun::gunWithOrientation(2), 30);
    stage->addChild(gun);
    auto bullet = gun->bullet();
    gun->performShoot();
    EXPECT_EQ(bullet->parent(), stage.get());
    EXPECT_EQ(bullet->rotation(), 30.0f);
    EXPECT_EQ(bullet->position(), gun->shootingStartPoint());

    auto knife = placed(Knife::knifeWithOrientation(1));
    stage->addChild(knife);
    knife->performShoot();
    EXPECT_EQ(stage->children().size(), 3u);
    EXPECT_EQ(knife->position(), Point(100, 100));
}

TEST_F(WeaponTest, BulletHitAreaIsEnlargedAndShiftedOnlyByPlainLayers) {
    auto bullet = Bullet::spriteWithFile("bullet.png"); // 4 × 2
    ASSERT_TRUE(bullet);
    bullet->setPosition(Point(50, 50));
    auto check = [&](Point offset) {
        EXPECT_TRUE(bullet->containsPoint(Point(38, 42) + offset));
        EXPECT_TRUE(bullet->containsPoint(Point(53, 51.9f) + offset));
        EXPECT_FALSE(bullet->containsPoint(Point(54, 50) + offset));
        EXPECT_FALSE(bullet->containsPoint(Point(50, 52) + offset));
        EXPECT_FALSE(bullet->containsPoint(Point(37.9f, 45) + offset));
    };
    check(Point(0, 0));
    {
        SCOPED_TRACE("on the stage");
        auto stage = std::make_shared<StageLayer>();
        stage->setPosition(Point(-120, 35));
        stage->addChild(bullet);
        check(Point(0, 0));
        stage->removeChild(bullet.get(), true);
    }
    {
        SCOPED_TRACE("on a CCLayer");
        auto layer = CCLayer::node();
        layer->setPosition(Point(10, 20));
        layer->addChild(bullet);
        check(Point(0, 0));
        layer->removeChild(bullet.get(), true);
    }
    {
        SCOPED_TRACE("on a plain Layer");
        auto layer = Layer::node();
        layer->setPosition(Point(10, 20));
        layer->addChild(bullet);
        check(Point(10, 20));
        layer->removeChild(bullet.get(), true);
    }
    // The paint ball at 0.3 (8 × 8 picture): 2.4 points per picture width.
    auto pb = PaintBallGun::paintBallGunWithOrientation(1)->bullet();
    pb->setPosition(Point(0, 0));
    EXPECT_TRUE(pb->containsPoint(Point(-7.19f, -9.59f)));
    EXPECT_FALSE(pb->containsPoint(Point(-7.21f, 0)));
    EXPECT_FALSE(pb->containsPoint(Point(2.41f, 0)));
}

TEST_F(WeaponTest, CopyHasItsOwnBulletAndOrientation) {
    auto stage = std::make_shared<StageLayer>();
    auto gun = placed(Rifle::rifleWithOrientation(2), 15);
    gun->setLocked(true);
    gun->bullet()->setPosition(Point(3, 4));
    gun->bullet()->setTag(777);
    stage->addChild(gun);

    auto copy = std::dynamic_pointer_cast<Rifle>(gun->copy());
    ASSERT_TRUE(copy);
    EXPECT_EQ(copy->orientation(), 2);
    EXPECT_EQ(copy->textureName(), "rifle.png");
    EXPECT_EQ(copy->rotation(), 15.0f);
    EXPECT_TRUE(copy->locked());
    auto bullet = copy->bullet();
    ASSERT_TRUE(std::dynamic_pointer_cast<Bullet>(bullet));
    EXPECT_NE(bullet, gun->bullet());
    EXPECT_EQ(bullet->textureName(), "bullet.png");
    EXPECT_EQ(bullet->position(), Point(3, 4));
    EXPECT_EQ(bullet->tag(), 777);

    // Firing the copy leaves the first gun's bullet alone.
    stage->addChild(copy);
    copy->performShoot();
    EXPECT_EQ(gun->bullet()->parent(), nullptr);
    EXPECT_EQ(gun->bullet()->position(), Point(3, 4));

    auto knifeCopy = std::dynamic_pointer_cast<Knife>(Knife::knifeWithOrientation(1)->copy());
    ASSERT_TRUE(knifeCopy);
    EXPECT_EQ(knifeCopy->bullet(), knifeCopy);
    EXPECT_EQ(knifeCopy->orientation(), 1);
}

TEST_F(WeaponTest, StoredWeaponFollowsKindAndOrientationNotThePicture) {
    auto tank = placed(Tank::tankWithOrientation(2), 20);
    tank->setScale(0.7f);
    const QVariantMap d = tank->serialize();
    EXPECT_EQ(d.value("className").toString(), "Tank");
    EXPECT_EQ(d.value("textureName").toString(), "tank.png");
    EXPECT_EQ(d.value("weaponOrientation").typeId(), QMetaType::Int);
    EXPECT_EQ(d.value("weaponOrientation").toInt(), 2);
    EXPECT_EQ(d.size(), 7);

    QVariantMap rifle;
    rifle.insert("className", "Rifle");
    rifle.insert("textureName", "knife.png");
    rifle.insert("weaponOrientation", qint64(1));
    rifle.insert("position.x", 12.5);
    rifle.insert("position.y", 30.0);
    rifle.insert("scale", 0.3);
    rifle.insert("rotation", -45.0);
    auto r = Rifle::unserialize(rifle);
    ASSERT_TRUE(r);
    EXPECT_EQ(r->textureName(), "rifle-l.png");
    EXPECT_EQ(r->bullet()->textureName(), "bullet-l.png");
    EXPECT_EQ(r->orientation(), 1);
    EXPECT_EQ(r->position(), Point(12.5f, 30));
    EXPECT_EQ(r->scale(), 0.3f);
    EXPECT_EQ(r->rotation(), -45.0f);
    EXPECT_FALSE(r->locked());

    rifle.remove("weaponOrientation");
    auto none = Rifle::unserialize(rifle);
    ASSERT_TRUE(none);
    EXPECT_EQ(none->orientation(), 0);
    EXPECT_EQ(none->textureName(), "rifle.png");

    auto pb = PaintBallGun::unserialize(PaintBallGun::paintBallGunWithOrientation(2)->serialize());
    ASSERT_TRUE(pb);
    EXPECT_EQ(pb->bullet()->scale(), 0.3f);
}

} // namespace
