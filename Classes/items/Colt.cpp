#include "items/Colt.h"

std::shared_ptr<Colt> Colt::coltWithOrientation(int orientation) {
    return create(orientation);
}

bool Colt::initWithOrientation(int orientation) {
    return initGun(orientation, QStringLiteral("colt-l.png"), QStringLiteral("colt.png"),
                   QStringLiteral("bullet-l.png"), QStringLiteral("bullet.png"));
}

Point Colt::shootingStartPoint() const {
    // A plain screen offset: it does not turn with the weapon.
    const Point base = baseShootingStartPoint();
    return Point(base.x + (orientation() == 1 ? -10.0f : 10.0f), base.y);
}
