#include "items/Rifle.h"

std::shared_ptr<Rifle> Rifle::rifleWithOrientation(int orientation) {
    return ccCreate<Rifle>([orientation](Rifle& w) { return w.initWithOrientation(orientation); });
}

bool Rifle::initWithOrientation(int orientation) {
    return initGun(orientation, QStringLiteral("rifle-l.png"), QStringLiteral("rifle.png"),
                   QStringLiteral("bullet-l.png"), QStringLiteral("bullet.png"));
}

QString Rifle::className() const {
    return QStringLiteral("Rifle");
}

std::shared_ptr<Rifle> Rifle::unserialize(const QVariantMap& d) {
    return unserializeKind<Rifle>(d);
}

std::shared_ptr<LockingSprite> Rifle::newInstance() const {
    return std::make_shared<Rifle>();
}
