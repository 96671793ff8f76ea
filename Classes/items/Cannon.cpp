#include "items/Cannon.h"

std::shared_ptr<Cannon> Cannon::cannonWithOrientation(int orientation) {
    return create(orientation);
}

bool Cannon::initWithOrientation(int orientation) {
    return initGun(orientation, QStringLiteral("cannon-l.png"), QStringLiteral("cannon.png"),
                   QStringLiteral("cannon-bullet.png"), QStringLiteral("cannon-bullet.png"));
}

Point Cannon::shootingStartPoint() const {
    // A plain screen offset: it does not turn with the weapon.
    const Point base = baseShootingStartPoint();
    return Point(base.x, base.y - 10);
}
