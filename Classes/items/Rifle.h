#pragma once

#include "items/Gun.h"

// A rifle.
class Rifle : public Gun {
public:
    static std::shared_ptr<Rifle> rifleWithOrientation(int orientation);
    bool initWithOrientation(int orientation) override;
    QString className() const override;
    static std::shared_ptr<Rifle> unserialize(const QVariantMap& d);

protected:
    std::shared_ptr<LockingSprite> newInstance() const override;
};
