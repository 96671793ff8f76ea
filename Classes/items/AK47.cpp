#include "items/AK47.h"

std::shared_ptr<AK47> AK47::ak47WithOrientation(int orientation) {
    return create(orientation);
}

bool AK47::initWithOrientation(int orientation) {
    return initGun(orientation, QStringLiteral("ak47-l.png"), QStringLiteral("ak47.png"),
                   QStringLiteral("bullet-l.png"), QStringLiteral("bullet.png"));
}
