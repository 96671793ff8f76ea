#include "items/RocketLauncher.h"

std::shared_ptr<RocketLauncher> RocketLauncher::rocketLauncherWithOrientation(int orientation) {
    return create(orientation);
}

bool RocketLauncher::initWithOrientation(int orientation) {
    return initGun(orientation, QStringLiteral("launcher-l.png"), QStringLiteral("launcher.png"),
                   QStringLiteral("rocket-l.png"), QStringLiteral("rocket.png"));
}
