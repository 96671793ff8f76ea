#include "items/PaintBallGun.h"

std::shared_ptr<PaintBallGun> PaintBallGun::paintBallGunWithOrientation(int orientation) {
    return ccCreate<PaintBallGun>(
        [orientation](PaintBallGun& w) { return w.initWithOrientation(orientation); });
}

bool PaintBallGun::initWithOrientation(int orientation) {
    return initGun(orientation, QStringLiteral("pbgun-l.png"), QStringLiteral("pbgun.png"),
                   QStringLiteral("cannon-bullet.png"), QStringLiteral("cannon-bullet.png"), 0.3f);
}

QString PaintBallGun::className() const {
    return QStringLiteral("PaintBallGun");
}

std::shared_ptr<PaintBallGun> PaintBallGun::unserialize(const QVariantMap& d) {
    return unserializeKind<PaintBallGun>(d);
}

std::shared_ptr<LockingSprite> PaintBallGun::newInstance() const {
    return std::make_shared<PaintBallGun>();
}
