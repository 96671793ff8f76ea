#pragma once

#include "items/Gun.h"

// An AK-47.
class AK47 : public Gun {
public:
    static std::shared_ptr<AK47> ak47WithOrientation(int orientation);
    bool initWithOrientation(int orientation) override;
    QString className() const override;
    static std::shared_ptr<AK47> unserialize(const QVariantMap& d);

protected:
    std::shared_ptr<LockingSprite> newInstance() const override;
};
