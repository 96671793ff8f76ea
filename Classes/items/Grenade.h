#pragma once

#include "items/Weapon.h"

// A grenade, thrown: the weapon itself travels.
class Grenade : public Weapon {
public:
    static std::shared_ptr<Grenade> grenadeWithOrientation(int orientation);
    bool initWithOrientation(int orientation) override;

    std::shared_ptr<LockingSprite> bullet() override;
    // A shot starts from a touch on the picture itself.
    bool canPerformShootingAtPoint(Point p) const override;

    QString className() const override;
    static std::shared_ptr<Grenade> unserialize(const QVariantMap& d);

protected:
    std::shared_ptr<LockingSprite> newInstance() const override;
};
