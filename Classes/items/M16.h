#pragma once

#include "items/Gun.h"

// An M16; it fires 3 points right of and 3 below the base firing point.
class M16 : public WeaponKind<M16, Gun> {
public:
    static constexpr const char* kClassName = "M16";

    static std::shared_ptr<M16> m16WithOrientation(int orientation);
    bool initWithOrientation(int orientation) override;
    Point shootingStartPoint() const override;
};
