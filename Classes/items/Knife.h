#pragma once

#include "items/Weapon.h"

// A knife, thrown: the weapon itself travels.
class Knife : public WeaponKind<Knife, ThrownWeapon> {
public:
    static constexpr const char* kClassName = "Knife";

    static std::shared_ptr<Knife> knifeWithOrientation(int orientation);
    bool initWithOrientation(int orientation) override;
};
