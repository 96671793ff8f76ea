#include "items/ItemRegistry.h"

#include "items/AK47.h"
#include "items/BoundingSprite.h"
#include "items/Bullet.h"
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
#include "items/SerializableSprite.h"
#include "items/Shuriken.h"
#include "items/SpeechBubble.h"
#include "items/Tank.h"
#include "items/Tree.h"

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
