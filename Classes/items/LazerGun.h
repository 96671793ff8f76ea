#pragma once

#include "items/Gun.h"

// A laser gun; its beam uses the same picture in both facings.
class LazerGun : public WeaponKind<LazerGun, Gun> {
public:
    static constexpr const char* kClassName = "LazerGun";

    static std::shared_ptr<LazerGun> lazerGunWithOrientation(int orientation);
    bool initWithOrientation(int orientation) override;
};
