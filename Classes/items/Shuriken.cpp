#include "items/Shuriken.h"

std::shared_ptr<Shuriken> Shuriken::shurikenWithOrientation(int orientation) {
    return create(orientation);
}

bool Shuriken::initWithOrientation(int orientation) {
    return initWithPictures(orientation, QStringLiteral("shuriken.png"),
                            QStringLiteral("shuriken.png"));
}

Point Shuriken::shootingStartPoint() const {
    return position();
}
