#include "items/Cannon.h"

std::shared_ptr<Cannon> Cannon::cannonWithOrientation(int orientation) {
    return ccCreate<Cannon>(
        [orientation](Cannon& w) { return w.initWithOrientation(orientation); });
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

QString Cannon::className() const {
    return QStringLiteral("Cannon");
}

std::shared_ptr<Cannon> Cannon::unserialize(const QVariantMap& d) {
    return unserializeKind<Cannon>(d);
}

std::shared_ptr<LockingSprite> Cannon::newInstance() const {
    return std::make_shared<Cannon>();
}
