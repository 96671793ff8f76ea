#pragma once

#include "items/Gun.h"

// A tank; its gun sits 23 points above the base firing point, whatever the turn.
class Tank : public Gun {
public:
    static std::shared_ptr<Tank> tankWithOrientation(int orientation);
    bool initWithOrientation(int orientation) override;
    Point shootingStartPoint() const override;
    QString className() const override;
    static std::shared_ptr<Tank> unserialize(const QVariantMap& d);

protected:
    std::shared_ptr<LockingSprite> newInstance() const override;
};
