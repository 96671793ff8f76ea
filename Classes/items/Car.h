#pragma once

#include "items/BoundingSprite.h"

// A car: only its body and cabin are solid.
class Car : public BoundingSprite {
public:
    static std::shared_ptr<Car> car();
    // "car.png" with its body and cabin rectangles, in that order.
    bool initCar();

    QString className() const override;
    // Rebuilt by initCar whatever picture name was stored.
    static std::shared_ptr<Car> unserialize(const QVariantMap& d);

protected:
    std::shared_ptr<LockingSprite> newInstance() const override;
};
