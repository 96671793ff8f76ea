#pragma once

#include "items/Gun.h"

// A rocket launcher.
class RocketLauncher : public Gun {
public:
    static std::shared_ptr<RocketLauncher> rocketLauncherWithOrientation(int orientation);
    bool initWithOrientation(int orientation) override;
    QString className() const override;
    static std::shared_ptr<RocketLauncher> unserialize(const QVariantMap& d);

protected:
    std::shared_ptr<LockingSprite> newInstance() const override;
};
