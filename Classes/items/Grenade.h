#pragma once

#include "items/Weapon.h"

// A grenade, thrown: the weapon itself travels.
class Grenade : public WeaponKind<Grenade, ThrownWeapon> {
public:
    static constexpr const char* kClassName = "Grenade";

    static std::shared_ptr<Grenade> grenadeWithOrientation(int orientation);
    bool initWithOrientation(int orientation) override;
};
