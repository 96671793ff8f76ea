#pragma once

#include "items/Gun.h"

// A paint-ball gun; its ball is the cannon ball's picture at scale 0.3.
class PaintBallGun : public WeaponKind<PaintBallGun, Gun> {
public:
    static constexpr const char* kClassName = "PaintBallGun";

    static std::shared_ptr<PaintBallGun> paintBallGunWithOrientation(int orientation);
    bool initWithOrientation(int orientation) override;
};
