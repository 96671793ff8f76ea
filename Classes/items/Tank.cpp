#include "items/Tank.h"

std::shared_ptr<Tank> Tank::tankWithOrientation(int orientation) {
    return create(orientation);
}

bool Tank::initWithOrientation(int orientation) {
    return initGun(orientation, QStringLiteral("tank-l.png"), QStringLiteral("tank.png"),
                   QStringLiteral("tankbomb-l.png"), QStringLiteral("tankbomb.png"));
}

Point Tank::shootingStartPoint() const {
    // A plain screen offset: it does not turn with the weapon.
    const Point base = baseShootingStartPoint();
    return Point(base.x, base.y + 23);
}
