#pragma once

#include "items/Gun.h"

// A cannon; the ball leaves 10 points below the base firing point.
class Cannon : public Gun {
public:
    static std::shared_ptr<Cannon> cannonWithOrientation(int orientation);
    bool initWithOrientation(int orientation) override;
    Point shootingStartPoint() const override;
    QString className() const override;
    static std::shared_ptr<Cannon> unserialize(const QVariantMap& d);

protected:
    std::shared_ptr<LockingSprite> newInstance() const override;
};
