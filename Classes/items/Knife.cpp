#include "items/Knife.h"

std::shared_ptr<Knife> Knife::knifeWithOrientation(int orientation) {
    return create(orientation);
}

bool Knife::initWithOrientation(int orientation) {
    return initWithPictures(orientation, QStringLiteral("knife-l.png"),
                            QStringLiteral("knife.png"));
}
