#include "items/BoundingSprite.h"

#include "items/SerializableSprite.h"

std::shared_ptr<BoundingSprite> BoundingSprite::spriteWithFile(const QString& fileName) {
    return ccCreate<BoundingSprite>([&](BoundingSprite& s) { return s.initWithFile(fileName); });
}

bool BoundingSprite::initWithFile(const QString& fileName) {
    if (!LockingSprite::initWithFile(fileName))
        return false;
    bounds_.clear();
    detectCollisions_ = true;
    return true;
}

bool BoundingSprite::containsPoint(Point p) const {
    if (!LockingSprite::containsPoint(p))
        return false;
    if (bounds_.empty())
        return true;
    const Point c = position();
    const Size size = contentSize();
    const float sx = scaleX();
    const float sy = scaleY();
    const float left = c.x - size.width * sx / 2;
    const float bottom = c.y - size.height * sy / 2;
    for (const BRect& b : bounds_) {
        if (Rect(left + b.x, bottom + b.y, b.width * sx, b.height * sy).containsPoint(p))
            return true;
    }
    return false;
}

std::shared_ptr<CCSprite> BoundingSprite::copyWithZone() const {
    auto copy = LockingSprite::copyWithZone();
    if (auto* prop = dynamic_cast<BoundingSprite*>(copy.get())) {
        prop->bounds_ = bounds_;
        prop->detectCollisions_ = detectCollisions_;
    }
    return copy;
}

QString BoundingSprite::className() const {
    return QStringLiteral("BoundingSprite");
}

std::shared_ptr<BoundingSprite> BoundingSprite::unserialize(const QVariantMap& d) {
    return genericUnserialize<BoundingSprite>(d);
}

std::shared_ptr<LockingSprite> BoundingSprite::newInstance() const {
    return std::make_shared<BoundingSprite>();
}
