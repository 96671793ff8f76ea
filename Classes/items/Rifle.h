#pragma once

#include "items/Gun.h"

// A rifle.
class Rifle : public WeaponKind<Rifle, Gun> {
public:
    static constexpr const char* kClassName = "Rifle";

    static std::shared_ptr<Rifle> rifleWithOrientation(int orientation);
    bool initWithOrientation(int orientation) override;
};
