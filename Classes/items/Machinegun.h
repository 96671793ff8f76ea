#pragma once

#include "items/Gun.h"

// A machine gun.
class Machinegun : public WeaponKind<Machinegun, Gun> {
public:
    static constexpr const char* kClassName = "Machinegun";

    static std::shared_ptr<Machinegun> machinegunWithOrientation(int orientation);
    bool initWithOrientation(int orientation) override;
};
