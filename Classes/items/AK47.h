#pragma once

#include "items/Gun.h"

// An AK-47.
class AK47 : public WeaponKind<AK47, Gun> {
public:
    static constexpr const char* kClassName = "AK47";

    static std::shared_ptr<AK47> ak47WithOrientation(int orientation);
    bool initWithOrientation(int orientation) override;
};
