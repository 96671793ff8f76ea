#include "items/M16.h"

std::shared_ptr<M16> M16::m16WithOrientation(int orientation) {
    return create(orientation);
}

bool M16::initWithOrientation(int orientation) {
    return initGun(orientation, QStringLiteral("m16-l.png"), QStringLiteral("m16.png"),
                   QStringLiteral("bullet-l.png"), QStringLiteral("bullet.png"));
}

Point M16::shootingStartPoint() const {
    // A plain screen offset: it does not turn with the weapon.
    const Point base = baseShootingStartPoint();
    return Point(base.x + 3, base.y - 3);
}
