#include "items/Bullet.h"

#include "engine/CCLayer.h"
#include "items/SerializableSprite.h"

std::shared_ptr<Bullet> Bullet::spriteWithFile(const QString& fileName) {
    return ccCreate<Bullet>([&](Bullet& b) { return b.initWithFile(fileName); });
}

bool Bullet::containsPoint(Point p) const {
    const Point c = position();
    const Size size = contentSize();
    const float w = size.width * scaleX();
    const float h = size.height * scaleY();
    Rect r(c.x - 3 * w, c.y - 4 * h, 4 * w, 5 * h);
    if (const auto* layer = dynamic_cast<const Layer*>(parent())) {
        r.origin.x += layer->position().x;
        r.origin.y += layer->position().y;
    }
    return r.containsPoint(p);
}

QString Bullet::className() const {
    return QStringLiteral("Bullet");
}

std::shared_ptr<Bullet> Bullet::unserialize(const QVariantMap& d) {
    return genericUnserialize<Bullet>(d);
}

std::shared_ptr<LockingSprite> Bullet::newInstance() const {
    return std::make_shared<Bullet>();
}
