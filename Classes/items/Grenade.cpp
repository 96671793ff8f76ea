#include "items/Grenade.h"

std::shared_ptr<Grenade> Grenade::grenadeWithOrientation(int orientation) {
    return ccCreate<Grenade>(
        [orientation](Grenade& w) { return w.initWithOrientation(orientation); });
}

bool Grenade::initWithOrientation(int orientation) {
    return initWithPictures(orientation, QStringLiteral("grenade.png"),
                            QStringLiteral("grenade.png"));
}

std::shared_ptr<LockingSprite> Grenade::bullet() {
    return std::static_pointer_cast<LockingSprite>(weak_from_this().lock());
}

bool Grenade::canPerformShootingAtPoint(Point p) const {
    return containsPoint(p);
}

QString Grenade::className() const {
    return QStringLiteral("Grenade");
}

std::shared_ptr<Grenade> Grenade::unserialize(const QVariantMap& d) {
    return unserializeKind<Grenade>(d);
}

std::shared_ptr<LockingSprite> Grenade::newInstance() const {
    return std::make_shared<Grenade>();
}
