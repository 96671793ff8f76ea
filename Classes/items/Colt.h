#pragma once

#include "items/Gun.h"

// A colt; it fires 10 points in from the picture's end.
class Colt : public WeaponKind<Colt, Gun> {
public:
    static constexpr const char* kClassName = "Colt";

    static std::shared_ptr<Colt> coltWithOrientation(int orientation);
    bool initWithOrientation(int orientation) override;
    Point shootingStartPoint() const override;
};
