#include "items/RocketLauncher.h"

std::shared_ptr<RocketLauncher> RocketLauncher::rocketLauncherWithOrientation(int orientation) {
    return ccCreate<RocketLauncher>(
        [orientation](RocketLauncher& w) { return w.initWithOrientation(orientation); });
}

bool RocketLauncher::initWithOrientation(int orientation) {
    return initGun(orientation, QStringLiteral("launcher-l.png"), QStringLiteral("launcher.png"),
                   QStringLiteral("rocket-l.png"), QStringLiteral("rocket.png"));
}

QString RocketLauncher::className() const {
    return QStringLiteral("RocketLauncher");
}

std::shared_ptr<RocketLauncher> RocketLauncher::unserialize(const QVariantMap& d) {
    return unserializeKind<RocketLauncher>(d);
}

std::shared_ptr<LockingSprite> RocketLauncher::newInstance() const {
    return std::make_shared<RocketLauncher>();
}
