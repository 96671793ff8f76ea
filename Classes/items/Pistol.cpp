#include "items/Pistol.h"

std::shared_ptr<Pistol> Pistol::pistolWithOrientation(int orientation) {
    return create(orientation);
}

bool Pistol::initWithOrientation(int orientation) {
    return initGun(orientation, QStringLiteral("pistol-l.png"), QStringLiteral("pistol.png"),
                   QStringLiteral("bullet-l.png"), QStringLiteral("bullet.png"));
}

Point Pistol::shootingStartPoint() const {
    // A plain screen offset: it does not turn with the weapon.
    const Point base = baseShootingStartPoint();
    return Point(base.x + (orientation() == 1 ? -12.0f : 12.0f), base.y - 8);
}
