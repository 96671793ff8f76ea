#include "items/Car.h"

#include "items/SerializableSprite.h"

std::shared_ptr<Car> Car::car() {
    return ccCreate<Car>([](Car& t) { return t.initCar(); });
}

bool Car::initCar() {
    if (!initWithFile(QStringLiteral("car.png")))
        return false;
    addBound(BRect{5, 8, 188, 50});   // body
    addBound(BRect{70, 55, 120, 25}); // cabin
    return true;
}

QString Car::className() const {
    return QStringLiteral("Car");
}

std::shared_ptr<Car> Car::unserialize(const QVariantMap& d) {
    return genericUnserialize<Car>(d);
}

std::shared_ptr<LockingSprite> Car::newInstance() const {
    return std::make_shared<Car>();
}
