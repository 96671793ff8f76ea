#include "items/Weapon.h"

#include "base/Exception.h"

#include <cmath>
#include <numbers>

bool Weapon::initWithOrientation(int) {
    throw ContractFailure("Weapon initWithOrientation",
                          "+[Weapon initWithOrientation:] Must be overridden");
}

bool Weapon::initWithPictures(int orientation, const QString& picture1,
                              const QString& otherPicture) {
    if (!initWithFile(orientation == 1 ? picture1 : otherPicture))
        return false;
    orientation_ = orientation;
    return true;
}

std::shared_ptr<LockingSprite> Weapon::bullet() {
    return bullet_;
}

Point Weapon::baseShootingStartPoint() const {
    const Point p = position();
    const Size size = contentSize();
    const double r = double(rotation()) * std::numbers::pi / 180.0;
    const double halfWidth = double(size.width) / 2.0 * double(scaleX());
    const double raise = 0.2 * double(size.height) * double(scaleY());
    double dx, dy;
    if (orientation_ == 2) {
        dx = -halfWidth * std::cos(r);
        dy = raise + halfWidth * std::sin(r);
    } else {
        dx = halfWidth * std::cos(r);
        dy = raise - halfWidth * std::sin(r);
    }
    return Point(p.x + float(dx), p.y + float(dy));
}

Point Weapon::shootingStartPoint() const {
    return baseShootingStartPoint();
}

bool Weapon::canPerformShootingAtPoint(Point p) const {
    const Point f = shootingStartPoint();
    return Rect(f.x - 15, f.y - 15, 30, 30).containsPoint(p);
}

void Weapon::performShoot() {}

std::shared_ptr<CCSprite> Weapon::copyWithZone() const {
    auto copy = LockingSprite::copyWithZone();
    if (auto* weapon = dynamic_cast<Weapon*>(copy.get()))
        weapon->orientation_ = orientation_;
    return copy;
}

QVariantMap Weapon::serialize() const {
    QVariantMap d = LockingSprite::serialize();
    d.insert(QStringLiteral("weaponOrientation"), QVariant(orientation_));
    return d;
}

QString Weapon::className() const {
    return QStringLiteral("Weapon");
}

std::shared_ptr<LockingSprite> Weapon::newInstance() const {
    return std::make_shared<Weapon>();
}

std::shared_ptr<LockingSprite> ThrownWeapon::bullet() {
    return std::static_pointer_cast<LockingSprite>(weak_from_this().lock());
}

bool ThrownWeapon::canPerformShootingAtPoint(Point p) const {
    return containsPoint(p);
}
