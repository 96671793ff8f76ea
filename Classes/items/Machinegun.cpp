#include "items/Machinegun.h"

std::shared_ptr<Machinegun> Machinegun::machinegunWithOrientation(int orientation) {
    return create(orientation);
}

bool Machinegun::initWithOrientation(int orientation) {
    return initGun(orientation, QStringLiteral("mgun-l.png"), QStringLiteral("mgun.png"),
                   QStringLiteral("mgbull.png"), QStringLiteral("mgbull.png"));
}
