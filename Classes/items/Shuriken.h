#pragma once

#include "items/Weapon.h"

// A shuriken, thrown from its centre: the weapon itself travels.
class Shuriken : public Weapon {
public:
    static std::shared_ptr<Shuriken> shurikenWithOrientation(int orientation);
    bool initWithOrientation(int orientation) override;

    std::shared_ptr<LockingSprite> bullet() override;
    Point shootingStartPoint() const override;
    // A shot starts from a touch on the picture itself.
    bool canPerformShootingAtPoint(Point p) const override;

    QString className() const override;
    static std::shared_ptr<Shuriken> unserialize(const QVariantMap& d);

protected:
    std::shared_ptr<LockingSprite> newInstance() const override;
};
