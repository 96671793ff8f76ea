#include "items/AK47.h"

std::shared_ptr<AK47> AK47::ak47WithOrientation(int orientation) {
    return ccCreate<AK47>([orientation](AK47& w) { return w.initWithOrientation(orientation); });
}

bool AK47::initWithOrientation(int orientation) {
    return initGun(orientation, QStringLiteral("ak47-l.png"), QStringLiteral("ak47.png"),
                   QStringLiteral("bullet-l.png"), QStringLiteral("bullet.png"));
}

QString AK47::className() const {
    return QStringLiteral("AK47");
}

std::shared_ptr<AK47> AK47::unserialize(const QVariantMap& d) {
    return unserializeKind<AK47>(d);
}

std::shared_ptr<LockingSprite> AK47::newInstance() const {
    return std::make_shared<AK47>();
}
