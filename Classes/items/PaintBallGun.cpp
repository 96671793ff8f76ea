#include "items/PaintBallGun.h"

std::shared_ptr<PaintBallGun> PaintBallGun::paintBallGunWithOrientation(int orientation) {
    return create(orientation);
}

bool PaintBallGun::initWithOrientation(int orientation) {
    return initGun(orientation, QStringLiteral("pbgun-l.png"), QStringLiteral("pbgun.png"),
                   QStringLiteral("cannon-bullet.png"), QStringLiteral("cannon-bullet.png"), 0.3f);
}
