#include "items/Shuriken.h"

std::shared_ptr<Shuriken> Shuriken::shurikenWithOrientation(int orientation) {
    return ccCreate<Shuriken>(
        [orientation](Shuriken& w) { return w.initWithOrientation(orientation); });
}

bool Shuriken::initWithOrientation(int orientation) {
    return initWithPictures(orientation, QStringLiteral("shuriken.png"),
                            QStringLiteral("shuriken.png"));
}

std::shared_ptr<LockingSprite> Shuriken::bullet() {
    return std::static_pointer_cast<LockingSprite>(weak_from_this().lock());
}

Point Shuriken::shootingStartPoint() const {
    return position();
}

bool Shuriken::canPerformShootingAtPoint(Point p) const {
    return containsPoint(p);
}

QString Shuriken::className() const {
    return QStringLiteral("Shuriken");
}

std::shared_ptr<Shuriken> Shuriken::unserialize(const QVariantMap& d) {
    return unserializeKind<Shuriken>(d);
}

std::shared_ptr<LockingSprite> Shuriken::newInstance() const {
    return std::make_shared<Shuriken>();
}
