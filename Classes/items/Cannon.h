#pragma once

#include "items/Gun.h"

// A cannon; the ball leaves 10 points below the base firing point.
class Cannon : public WeaponKind<Cannon, Gun> {
public:
    static constexpr const char* kClassName = "Cannon";

    static std::shared_ptr<Cannon> cannonWithOrientation(int orientation);
    bool initWithOrientation(int orientation) override;
    Point shootingStartPoint() const override;
};
