#include "items/Grenade.h"

std::shared_ptr<Grenade> Grenade::grenadeWithOrientation(int orientation) {
    return create(orientation);
}

bool Grenade::initWithOrientation(int orientation) {
    return initWithPictures(orientation, QStringLiteral("grenade.png"),
                            QStringLiteral("grenade.png"));
}
