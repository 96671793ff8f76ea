#include "items/LazerGun.h"

std::shared_ptr<LazerGun> LazerGun::lazerGunWithOrientation(int orientation) {
    return create(orientation);
}

bool LazerGun::initWithOrientation(int orientation) {
    return initGun(orientation, QStringLiteral("lazergun-l.png"), QStringLiteral("lazergun.png"),
                   QStringLiteral("lazer-l.png"), QStringLiteral("lazer-l.png"));
}
