#pragma once

#include "items/Gun.h"

// A colt; it fires 10 points in from the picture's end.
class Colt : public Gun {
public:
    static std::shared_ptr<Colt> coltWithOrientation(int orientation);
    bool initWithOrientation(int orientation) override;
    Point shootingStartPoint() const override;
    QString className() const override;
    static std::shared_ptr<Colt> unserialize(const QVariantMap& d);

protected:
    std::shared_ptr<LockingSprite> newInstance() const override;
};
