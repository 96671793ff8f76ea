#pragma once

#include "items/Gun.h"

// A laser gun; its beam uses the same picture in both facings.
class LazerGun : public Gun {
public:
    static std::shared_ptr<LazerGun> lazerGunWithOrientation(int orientation);
    bool initWithOrientation(int orientation) override;
    QString className() const override;
    static std::shared_ptr<LazerGun> unserialize(const QVariantMap& d);

protected:
    std::shared_ptr<LockingSprite> newInstance() const override;
};
