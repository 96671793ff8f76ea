#include "ItemRegistry.h"

#include "AK47.h"
#include "BoundingSprite.h"
#include "Bullet.h"
#include "Cannon.h"
#include "Car.h"
#include "Colt.h"
#include "Grenade.h"
#include "Gun.h"
#include "Hmn.h"
#include "Knife.h"
#include "LazerGun.h"
#include "M16.h"
#include "Machinegun.h"
#include "PaintBallGun.h"
#include "Pistol.h"
#include "Rifle.h"
#include "RocketLauncher.h"
#include "SerializableSprite.h"
#include "Shuriken.h"
#include "SpeechBubble.h"
#include "Tank.h"
#include "Tree.h"

#include <array>

namespace ItemRegistry {

namespace {

using Rebuild = std::shared_ptr<CCSprite> (*)(const QVariantMap&);

template <class K> std::shared_ptr<CCSprite> rebuild(const QVariantMap& d) {
    return K::unserialize(d);
}

std::shared_ptr<CCSprite> rebuildSprite(const QVariantMap& d) {
    if (dictvalues::dictString(d, QStringLiteral("textureName")) == QLatin1String("lazer-l.png"))
        return Bullet::unserialize(d);
    return genericUnserialize<Sprite>(d);
}

struct Entry {
    QLatin1String name;
    Rebuild rebuild;
};

// In the order the names are tested.
const std::array<Entry, 22> kEntries = {{
    {QLatin1String("Sprite"), rebuildSprite},
    {QLatin1String("BoundingSprite"), rebuild<BoundingSprite>},
    {QLatin1String("Knife"), rebuild<Knife>},
    {QLatin1String("Gun"), rebuild<Gun>},
    {QLatin1String("Grenade"), rebuild<Grenade>},
    {QLatin1String("Rifle"), rebuild<Rifle>},
    {QLatin1String("LazerGun"), rebuild<LazerGun>},
    {QLatin1String("Cannon"), rebuild<Cannon>},
    {QLatin1String("Machinegun"), rebuild<Machinegun>},
    {QLatin1String("RocketLauncher"), rebuild<RocketLauncher>},
    {QLatin1String("Tank"), rebuild<Tank>},
    {QLatin1String("M16"), rebuild<M16>},
    {QLatin1String("AK47"), rebuild<AK47>},
    {QLatin1String("PaintBallGun"), rebuild<PaintBallGun>},
    {QLatin1String("Pistol"), rebuild<Pistol>},
    {QLatin1String("Colt"), rebuild<Colt>},
    {QLatin1String("Shuriken"), rebuild<Shuriken>},
    {QLatin1String("Hmn"), rebuild<Hmn>},
    {QLatin1String("Tree"), rebuild<Tree>},
    {QLatin1String("Car"), rebuild<Car>},
    {QLatin1String("Bullet"), rebuild<Bullet>},
    {QLatin1String("SpeechBubble"), rebuild<SpeechBubble>},
}};

const Entry* find(const QString& className) {
    for (const Entry& e : kEntries)
        if (className == e.name)
            return &e;
    return nullptr;
}

} // namespace

std::shared_ptr<CCSprite> unserialize(const QVariantMap& record) {
    const Entry* e = find(dictvalues::dictString(record, QStringLiteral("className")));
    return e ? e->rebuild(record) : nullptr;
}

bool isItemClassName(const QString& className) {
    return find(className) != nullptr;
}

} // namespace ItemRegistry
