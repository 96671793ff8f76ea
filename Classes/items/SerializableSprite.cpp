#include "items/SerializableSprite.h"

#include "items/Car.h"
#include "items/JointedSprite.h"
#include "items/LockingSprite.h"
#include "items/TapingSprite.h"
#include "items/Tree.h"

QVariantMap genericSerialize(const CCSprite& sprite, const QString& className) {
    QVariantMap d;
    d.insert(QStringLiteral("className"), className);
    if (!sprite.textureName().isEmpty())
        d.insert(QStringLiteral("textureName"), sprite.textureName());
    const Point p = sprite.position();
    d.insert(QStringLiteral("position.x"), QVariant(p.x));
    d.insert(QStringLiteral("position.y"), QVariant(p.y));
    // Items are scaled uniformly; scaleX avoids the engine's failure on a stray uneven scale.
    d.insert(QStringLiteral("scale"), QVariant(sprite.scaleX()));
    d.insert(QStringLiteral("rotation"), QVariant(sprite.rotation()));
    return d;
}

QString spriteClassName(const CCSprite& sprite) {
    if (const auto* item = dynamic_cast<const LockingSprite*>(&sprite))
        return item->className();
    if (dynamic_cast<const JointedSprite*>(&sprite))
        return QStringLiteral("JointedSprite");
    if (dynamic_cast<const TapingSprite*>(&sprite))
        return QStringLiteral("TapingSprite");
    if (dynamic_cast<const Sprite*>(&sprite))
        return QStringLiteral("Sprite");
    return QStringLiteral("CCSprite");
}

QVariantMap serialize(const CCSprite& sprite) {
    if (const auto* item = dynamic_cast<const LockingSprite*>(&sprite))
        return item->serialize();
    return genericSerialize(sprite, spriteClassName(sprite));
}

namespace detail {

GenericBuild genericBuildFor(const QString& className) {
    if (className == QLatin1String("Sprite") || className == QLatin1String("BoundingSprite") ||
        className == QLatin1String("Bullet") || className == QLatin1String("SpeechBubble"))
        return GenericBuild::FromPicture;
    if (className == QLatin1String("Car"))
        return GenericBuild::Car;
    if (className == QLatin1String("Tree"))
        return GenericBuild::Tree;
    return GenericBuild::Plain;
}

std::shared_ptr<CCSprite> makeCar() {
    return Car::car();
}

std::shared_ptr<CCSprite> makeTree() {
    return Tree::tree();
}

} // namespace detail
