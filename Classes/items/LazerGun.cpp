#include "items/LazerGun.h"

std::shared_ptr<LazerGun> LazerGun::lazerGunWithOrientation(int orientation) {
    return ccCreate<LazerGun>(
        [orientation](LazerGun& w) { return w.initWithOrientation(orientation); });
}

bool LazerGun::initWithOrientation(int orientation) {
    return initGun(orientation, QStringLiteral("lazergun-l.png"), QStringLiteral("lazergun.png"),
                   QStringLiteral("lazer-l.png"), QStringLiteral("lazer-l.png"));
}

QString LazerGun::className() const {
    return QStringLiteral("LazerGun");
}

std::shared_ptr<LazerGun> LazerGun::unserialize(const QVariantMap& d) {
    return unserializeKind<LazerGun>(d);
}

std::shared_ptr<LockingSprite> LazerGun::newInstance() const {
    return std::make_shared<LazerGun>();
}
