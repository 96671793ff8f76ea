#include "editor/Catalogue.h"

#include "engine/CCDirector.h"
#include "engine/CCTextureCache.h"
#include "items/AK47.h"
#include "items/Cannon.h"
#include "items/Car.h"
#include "items/Colt.h"
#include "items/Grenade.h"
#include "items/Gun.h"
#include "items/Hmn.h"
#include "items/Knife.h"
#include "items/LazerGun.h"
#include "items/M16.h"
#include "items/Machinegun.h"
#include "items/PaintBallGun.h"
#include "items/Pistol.h"
#include "items/Rifle.h"
#include "items/RocketLauncher.h"
#include "items/Shuriken.h"
#include "items/SpeechBubble.h"
#include "items/Tank.h"
#include "items/Tree.h"

#include <QFileInfo>

#include <array>

namespace Catalogue {

namespace {

constexpr int kTreeTag = 2;
constexpr int kCarTag = 3;
constexpr int kBubbleTag = 26;
constexpr int kBubbleLeftTag = 27;
constexpr int kLastCollidingTag = 6;

using WeaponFactory = std::shared_ptr<Weapon> (*)(int orientation);

struct WeaponEntry {
    const char* name;
    WeaponFactory make;
    int orientation;
};

template <class K, std::shared_ptr<K> (*Factory)(int)> std::shared_ptr<Weapon> make(int o) {
    return Factory(o);
}

const std::array<WeaponEntry, 28> kWeapons = {{
    {"knife-l", make<Knife, &Knife::knifeWithOrientation>, 1},
    {"knife", make<Knife, &Knife::knifeWithOrientation>, 2},
    {"gun-l", make<Gun, &Gun::gunWithOrientation>, 1},
    {"gun", make<Gun, &Gun::gunWithOrientation>, 2},
    {"rifle-l", make<Rifle, &Rifle::rifleWithOrientation>, 1},
    {"rifle", make<Rifle, &Rifle::rifleWithOrientation>, 2},
    {"lazergun-l", make<LazerGun, &LazerGun::lazerGunWithOrientation>, 1},
    {"lazergun", make<LazerGun, &LazerGun::lazerGunWithOrientation>, 2},
    {"grenade", make<Grenade, &Grenade::grenadeWithOrientation>, 2},
    {"cannon-l", make<Cannon, &Cannon::cannonWithOrientation>, 1},
    {"cannon", make<Cannon, &Cannon::cannonWithOrientation>, 2},
    {"pistol-l", make<Pistol, &Pistol::pistolWithOrientation>, 1},
    {"pistol", make<Pistol, &Pistol::pistolWithOrientation>, 2},
    {"colt-l", make<Colt, &Colt::coltWithOrientation>, 1},
    {"colt", make<Colt, &Colt::coltWithOrientation>, 2},
    {"shuriken", make<Shuriken, &Shuriken::shurikenWithOrientation>, 2},
    {"mgun-l", make<Machinegun, &Machinegun::machinegunWithOrientation>, 1},
    {"mgun", make<Machinegun, &Machinegun::machinegunWithOrientation>, 2},
    {"launcher-l", make<RocketLauncher, &RocketLauncher::rocketLauncherWithOrientation>, 1},
    {"launcher", make<RocketLauncher, &RocketLauncher::rocketLauncherWithOrientation>, 2},
    {"tank-l-btn", make<Tank, &Tank::tankWithOrientation>, 1},
    {"tank-btn", make<Tank, &Tank::tankWithOrientation>, 2},
    {"m16-l", make<M16, &M16::m16WithOrientation>, 1},
    {"m16", make<M16, &M16::m16WithOrientation>, 2},
    {"ak47-l", make<AK47, &AK47::ak47WithOrientation>, 1},
    {"ak47", make<AK47, &AK47::ak47WithOrientation>, 2},
    {"pbgun-l", make<PaintBallGun, &PaintBallGun::paintBallGunWithOrientation>, 1},
    {"pbgun", make<PaintBallGun, &PaintBallGun::paintBallGunWithOrientation>, 2},
}};

const WeaponEntry* weaponEntry(int tag) {
    return tag >= 1 && tag <= int(kWeapons.size()) ? &kWeapons[size_t(tag - 1)] : nullptr;
}

QString pictureOf(const QString& name) {
    return name + QStringLiteral(".png");
}

} // namespace

const QStringList& objects() {
    static const QStringList list = {
        "box",           "tree",          "car",
        "chair",         "door",          "mail",
        "blood",         "expl",          "blood-pool",
        "flash",         "flash-l",       "guitar",
        "guitar-l",      "katana",        "katana-l",
        "sportcar",      "helicopter",    "helicopter-l",
        "bullet",        "sword",         "sword-l",
        "shield",        "fire",          "fire-1",
        "fire-2",        "speech-bubble", "speech-bubble-l",
        "axe",           "axe-l",         "bat",
        "coffin-closed", "coffin-open",   "dirt",
        "paint-red",     "pain-blue",     "paint-green",
        "paint-orange",  "paint-yellow",  "shovel",
        "lock-unlocked", "speaker",
    };
    return list;
}

const QStringList& weapons() {
    static const QStringList list = [] {
        QStringList names;
        for (const WeaponEntry& e : kWeapons)
            names << QString::fromLatin1(e.name);
        return names;
    }();
    return list;
}

QString objectName(int tag) {
    return tag >= 1 && tag <= objects().size() ? objects()[tag - 1] : QString();
}

QString weaponName(int tag) {
    const WeaponEntry* e = weaponEntry(tag);
    return e ? QString::fromLatin1(e->name) : QString();
}

QString objectPalettePicture(int tag) {
    const QString name = objectName(tag);
    if (name.isEmpty())
        return {};
    const QString button = name + QStringLiteral("-btn.png");
    return QFileInfo::exists(CCTextureCache::fullPath(button)) ? button : pictureOf(name);
}

QString weaponPalettePicture(int tag) {
    const QString name = weaponName(tag);
    return name.isEmpty() ? QString() : pictureOf(name);
}

int weaponOrientation(int tag) {
    const WeaponEntry* e = weaponEntry(tag);
    return e ? e->orientation : 0;
}

std::shared_ptr<CCSprite> makeObject(int tag) {
    const QString name = objectName(tag);
    if (name.isEmpty() || tag == kLocksTag || tag == kSoundsTag)
        return nullptr;
    std::shared_ptr<BoundingSprite> item;
    if (tag == kTreeTag) {
        item = Tree::tree();
    } else if (tag == kCarTag) {
        item = Car::car();
    } else if (tag == kBubbleTag || tag == kBubbleLeftTag) {
        auto bubble = SpeechBubble::spriteWithFile(pictureOf(name));
        if (bubble)
            bubble->setText(QString::fromLatin1(kBubbleText));
        item = bubble;
    } else {
        item = BoundingSprite::spriteWithFile(pictureOf(name));
    }
    if (!item)
        return nullptr;
    if (tag != kBubbleTag && tag != kBubbleLeftTag)
        item->setDetectCollisions(tag <= kLastCollidingTag);
    item->setPosition(kAddPosition);
    return item;
}

std::shared_ptr<Weapon> makeWeapon(int tag) {
    const WeaponEntry* e = weaponEntry(tag);
    if (!e)
        return nullptr;
    auto weapon = e->make(e->orientation);
    if (!weapon)
        return nullptr;
    if (tag <= kLastSmallWeaponTag)
        weapon->setScale(kSmallWeaponScale);
    weapon->setPosition(kAddPosition);
    return weapon;
}

std::shared_ptr<Hmn> makeFigure() {
    auto figure = Hmn::node();
    if (!figure)
        return nullptr;
    // Scaling re-lays the limbs from the neck and so moves the body; placing comes after it,
    // so that the figure's centre really is the stage's.
    figure->setScale(kFigureScale);
    const Size win = CCDirector::sharedDirector().winSize();
    figure->setPosition(Point(win.width / 2, win.height / 2));
    figure->setShowJoints(false);
    return figure;
}

} // namespace Catalogue
