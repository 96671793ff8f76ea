#pragma once

#include "items/Gun.h"

// A pistol; its short barrel fires 12 points in from the picture's end and 8 lower.
class Pistol : public Gun {
public:
    static std::shared_ptr<Pistol> pistolWithOrientation(int orientation);
    bool initWithOrientation(int orientation) override;
    Point shootingStartPoint() const override;
    QString className() const override;
    static std::shared_ptr<Pistol> unserialize(const QVariantMap& d);

protected:
    std::shared_ptr<LockingSprite> newInstance() const override;
};
