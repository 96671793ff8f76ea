#pragma once

#include "items/Gun.h"

// A tank; its gun sits 23 points above the base firing point, whatever the turn.
class Tank : public WeaponKind<Tank, Gun> {
public:
    static constexpr const char* kClassName = "Tank";

    static std::shared_ptr<Tank> tankWithOrientation(int orientation);
    bool initWithOrientation(int orientation) override;
    Point shootingStartPoint() const override;
};
