#pragma once

#include "items/LockingSprite.h"

// A projectile. Its hit area is enlarged so that the small picture is easy to pick.
class Bullet : public LockingSprite {
public:
    // Null when the picture cannot be loaded.
    static std::shared_ptr<Bullet> spriteWithFile(const QString& fileName);

    // A rectangle reaching three picture widths left of the centre and one right, four heights
    // below and one above. Only a parent of the plain `Layer` class shifts it by its position;
    // the stage's colour layer does not.
    bool containsPoint(Point p) const override;

    QString className() const override;
    static std::shared_ptr<Bullet> unserialize(const QVariantMap& d);

protected:
    std::shared_ptr<LockingSprite> newInstance() const override;
};
