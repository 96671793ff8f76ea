#include "items/Knife.h"

std::shared_ptr<Knife> Knife::knifeWithOrientation(int orientation) {
    return ccCreate<Knife>([orientation](Knife& w) { return w.initWithOrientation(orientation); });
}

bool Knife::initWithOrientation(int orientation) {
    return initWithPictures(orientation, QStringLiteral("knife-l.png"),
                            QStringLiteral("knife.png"));
}

std::shared_ptr<LockingSprite> Knife::bullet() {
    return std::static_pointer_cast<LockingSprite>(weak_from_this().lock());
}

bool Knife::canPerformShootingAtPoint(Point p) const {
    return containsPoint(p);
}

QString Knife::className() const {
    return QStringLiteral("Knife");
}

std::shared_ptr<Knife> Knife::unserialize(const QVariantMap& d) {
    return unserializeKind<Knife>(d);
}

std::shared_ptr<LockingSprite> Knife::newInstance() const {
    return std::make_shared<Knife>();
}
