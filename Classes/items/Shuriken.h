#pragma once

#include "items/Weapon.h"

// A shuriken, thrown from its centre: the weapon itself travels.
class Shuriken : public WeaponKind<Shuriken, ThrownWeapon> {
public:
    static constexpr const char* kClassName = "Shuriken";

    static std::shared_ptr<Shuriken> shurikenWithOrientation(int orientation);
    bool initWithOrientation(int orientation) override;

    Point shootingStartPoint() const override;
};
