#include "items/Machinegun.h"

std::shared_ptr<Machinegun> Machinegun::machinegunWithOrientation(int orientation) {
    return ccCreate<Machinegun>(
        [orientation](Machinegun& w) { return w.initWithOrientation(orientation); });
}

bool Machinegun::initWithOrientation(int orientation) {
    return initGun(orientation, QStringLiteral("mgun-l.png"), QStringLiteral("mgun.png"),
                   QStringLiteral("mgbull.png"), QStringLiteral("mgbull.png"));
}

QString Machinegun::className() const {
    return QStringLiteral("Machinegun");
}

std::shared_ptr<Machinegun> Machinegun::unserialize(const QVariantMap& d) {
    return unserializeKind<Machinegun>(d);
}

std::shared_ptr<LockingSprite> Machinegun::newInstance() const {
    return std::make_shared<Machinegun>();
}
