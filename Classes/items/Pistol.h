#pragma once

#include "items/Gun.h"

// A pistol; its short barrel fires 12 points in from the picture's end and 8 lower.
class Pistol : public WeaponKind<Pistol, Gun> {
public:
    static constexpr const char* kClassName = "Pistol";

    static std::shared_ptr<Pistol> pistolWithOrientation(int orientation);
    bool initWithOrientation(int orientation) override;
    Point shootingStartPoint() const override;
};
