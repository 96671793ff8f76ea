#include "ArtFacts.h"

#include "items/AK47.h"
#include "items/Cannon.h"
#include "items/Colt.h"
#include "items/Grenade.h"
#include "items/Gun.h"
#include "items/Joint.h"
#include "items/JointedSprite.h"
#include "items/Knife.h"
#include "items/LazerGun.h"
#include "items/M16.h"
#include "items/Machinegun.h"
#include "items/PaintBallGun.h"
#include "items/Pistol.h"
#include "items/Rifle.h"
#include "items/RocketLauncher.h"
#include "items/Tank.h"

#include <functional>
#include <memory>

namespace artfacts {

namespace {

QPointF toQt(Point p) {
    return {double(p.x), double(p.y)};
}

struct PaletteWeapon {
    const char* kind;
    std::function<std::shared_ptr<Weapon>(int)> make;
    std::vector<int> orientations;
    double scale;
};

template <class K> std::function<std::shared_ptr<Weapon>(int)> maker(std::shared_ptr<K> (*f)(int)) {
    return [f](int orientation) {
        return std::shared_ptr<Weapon>(f(orientation));
    };
}

} // namespace

std::vector<WeaponShot> weaponShots() {
    const std::vector<PaletteWeapon> palette = {
        {"Knife", maker(&Knife::knifeWithOrientation), {1, 2}, 0.6},
        {"Gun", maker(&Gun::gunWithOrientation), {1, 2}, 0.6},
        {"Rifle", maker(&Rifle::rifleWithOrientation), {1, 2}, 0.6},
        {"LazerGun", maker(&LazerGun::lazerGunWithOrientation), {1, 2}, 0.6},
        {"Grenade", maker(&Grenade::grenadeWithOrientation), {2}, 0.6},
        {"Cannon", maker(&Cannon::cannonWithOrientation), {1, 2}, 0.6},
        {"Pistol", maker(&Pistol::pistolWithOrientation), {1, 2}, 0.6},
        {"Colt", maker(&Colt::coltWithOrientation), {1, 2}, 0.6},
        {"Machinegun", maker(&Machinegun::machinegunWithOrientation), {1, 2}, 1},
        {"RocketLauncher", maker(&RocketLauncher::rocketLauncherWithOrientation), {1, 2}, 1},
        {"Tank", maker(&Tank::tankWithOrientation), {1, 2}, 1},
        {"M16", maker(&M16::m16WithOrientation), {1, 2}, 1},
        {"AK47", maker(&AK47::ak47WithOrientation), {1, 2}, 1},
        {"PaintBallGun", maker(&PaintBallGun::paintBallGunWithOrientation), {1, 2}, 1},
    };
    std::vector<WeaponShot> shots;
    for (const PaletteWeapon& w : palette) {
        for (int orientation : w.orientations) {
            WeaponShot shot{
                QString::fromLatin1(w.kind), orientation, w.scale, false, {}, {}, {}, 1};
            const std::shared_ptr<Weapon> weapon = w.make(orientation);
            if (weapon) {
                // Unturned at the origin, the firing point is the picture point scaled about
                // the picture's centre, with y up.
                weapon->setScale(float(w.scale));
                const QPointF fire = toQt(weapon->shootingStartPoint()) / w.scale;
                const Size size = weapon->contentSize();
                shot.made = true;
                shot.picture = weapon->textureName();
                shot.firingPoint =
                    QPointF(double(size.width) / 2 + fire.x(), double(size.height) / 2 - fire.y());
                const std::shared_ptr<LockingSprite> bullet = weapon->bullet();
                if (bullet && bullet != weapon) {
                    shot.bullet = bullet->textureName();
                    shot.bulletScale = double(bullet->scaleX());
                }
            }
            shots.push_back(shot);
        }
    }
    return shots;
}

std::optional<FigurePose> defaultPose(double scale) {
    const std::shared_ptr<Hmn> figure = Hmn::node();
    if (!figure)
        return std::nullopt;
    figure->setScale(float(scale));
    FigurePose pose;
    for (int i = 0; i < Hmn::LimbCount; ++i) {
        const JointedSprite* limb = figure->limb(Hmn::Limb(i));
        pose[size_t(i)] = {toQt(limb->headJoint()->position()), toQt(limb->tailJoint()->position()),
                           double(limb->contentSize().height) * scale, limb->textureName()};
    }
    return pose;
}

} // namespace artfacts
