#pragma once

#include "items/Weapon.h"

// A knife, thrown: the weapon itself travels.
class Knife : public Weapon {
public:
    static std::shared_ptr<Knife> knifeWithOrientation(int orientation);
    bool initWithOrientation(int orientation) override;

    std::shared_ptr<LockingSprite> bullet() override;
    // A shot starts from a touch on the picture itself.
    bool canPerformShootingAtPoint(Point p) const override;

    QString className() const override;
    static std::shared_ptr<Knife> unserialize(const QVariantMap& d);

protected:
    std::shared_ptr<LockingSprite> newInstance() const override;
};
