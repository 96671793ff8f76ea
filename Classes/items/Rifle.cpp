#include "items/Rifle.h"

std::shared_ptr<Rifle> Rifle::rifleWithOrientation(int orientation) {
    return create(orientation);
}

bool Rifle::initWithOrientation(int orientation) {
    return initGun(orientation, QStringLiteral("rifle-l.png"), QStringLiteral("rifle.png"),
                   QStringLiteral("bullet-l.png"), QStringLiteral("bullet.png"));
}
