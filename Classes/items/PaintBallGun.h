#pragma once

#include "items/Gun.h"

// A paint-ball gun; its ball is the cannon ball's picture at scale 0.3.
class PaintBallGun : public Gun {
public:
    static std::shared_ptr<PaintBallGun> paintBallGunWithOrientation(int orientation);
    bool initWithOrientation(int orientation) override;
    QString className() const override;
    static std::shared_ptr<PaintBallGun> unserialize(const QVariantMap& d);

protected:
    std::shared_ptr<LockingSprite> newInstance() const override;
};
