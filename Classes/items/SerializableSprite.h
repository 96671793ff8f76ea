#pragma once

#include "engine/CCSprite.h"
#include "items/DictionaryValues.h"

#include <QString>
#include <QVariantMap>

#include <memory>

// The item dictionary: "className", "textureName" (absent when the sprite has none),
// "position.x", "position.y", "scale" and "rotation", reals stored as 32-bit floats. Kinds add
// their own keys on top.

// The generic dictionary of a sprite under the given kind name.
QVariantMap genericSerialize(const CCSprite& sprite, const QString& className);

// The kind name a sprite is stored under: an item's own, else "Sprite" for the engine's plain
// sprites (and the other sprite classes of this library by their names).
QString spriteClassName(const CCSprite& sprite);

// The dictionary of any sprite on the stage: an item's own `serialize`, else the generic one.
QVariantMap serialize(const CCSprite& sprite);

namespace detail {

// How the generic rebuild makes an item, by the stored "className".
enum class GenericBuild { FromPicture, Car, Tree, Plain };
GenericBuild genericBuildFor(const QString& className);
std::shared_ptr<CCSprite> makeCar();
std::shared_ptr<CCSprite> makeTree();

} // namespace detail

// The generic rebuild, asked of kind K:
// - "Sprite", "BoundingSprite", "Bullet", "SpeechBubble": a K made from the stored picture, so
//   the kind made is K whatever the record names; without a picture name, null;
// - "Car", "Tree": that kind by its own initializer (the stored picture is not used); null when
//   it is not a K;
// - any other name: a K by its plain initializer, for kinds that finish the item themselves.
// Then scale, rotation and position, in that order (missing numbers read as 0). Null when the
// item cannot be made.
template <class K> std::shared_ptr<K> genericUnserialize(const QVariantMap& d) {
    using namespace dictvalues;
    std::shared_ptr<K> item;
    switch (detail::genericBuildFor(dictString(d, QStringLiteral("className")))) {
    case detail::GenericBuild::FromPicture: {
        const QString picture = dictString(d, QStringLiteral("textureName"));
        if (picture.isEmpty())
            return nullptr;
        item = ccCreate<K>([&](K& k) { return k.initWithFile(picture); });
        break;
    }
    case detail::GenericBuild::Car:
        item = std::dynamic_pointer_cast<K>(detail::makeCar());
        break;
    case detail::GenericBuild::Tree:
        item = std::dynamic_pointer_cast<K>(detail::makeTree());
        break;
    case detail::GenericBuild::Plain:
        item = ccCreate<K>([](K& k) { return k.init(); });
        break;
    }
    if (!item)
        return nullptr;
    item->setScale(dictBoundedReal(d, QStringLiteral("scale"), kMaxStoredScale));
    item->setRotation(dictReal(d, QStringLiteral("rotation")));
    item->setPosition(
        Point(dictBoundedReal(d, QStringLiteral("position.x"), kMaxStoredCoordinate),
              dictBoundedReal(d, QStringLiteral("position.y"), kMaxStoredCoordinate)));
    return item;
}
