#pragma once

#include "items/Gun.h"

// A machine gun.
class Machinegun : public Gun {
public:
    static std::shared_ptr<Machinegun> machinegunWithOrientation(int orientation);
    bool initWithOrientation(int orientation) override;
    QString className() const override;
    static std::shared_ptr<Machinegun> unserialize(const QVariantMap& d);

protected:
    std::shared_ptr<LockingSprite> newInstance() const override;
};
