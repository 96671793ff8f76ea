#pragma once

#include "items/Gun.h"

// A rocket launcher.
class RocketLauncher : public WeaponKind<RocketLauncher, Gun> {
public:
    static constexpr const char* kClassName = "RocketLauncher";

    static std::shared_ptr<RocketLauncher> rocketLauncherWithOrientation(int orientation);
    bool initWithOrientation(int orientation) override;
};
