#include "items/Gun.h"

std::shared_ptr<Gun> Gun::gunWithOrientation(int orientation) {
    return create(orientation);
}

bool Gun::initWithOrientation(int orientation) {
    return initGun(orientation, QStringLiteral("gun-l.png"), QStringLiteral("gun.png"),
                   QStringLiteral("bullet-l.png"), QStringLiteral("bullet.png"));
}

bool Gun::initGun(int orientation, const QString& picture1, const QString& otherPicture,
                  const QString& bullet1, const QString& otherBullet, float bulletScale) {
    if (!initWithPictures(orientation, picture1, otherPicture))
        return false;
    // A missing bullet picture leaves the gun without a bullet, as a missing picture does
    // anywhere else; the gun itself still stands.
    bullet_ = Bullet::spriteWithFile(orientation == 1 ? bullet1 : otherBullet);
    if (bullet_ && bulletScale != 1)
        bullet_->setScale(bulletScale);
    return true;
}

void Gun::performShoot() {
    if (!bullet_)
        return;
    bullet_->setRotation(rotation());
    bullet_->setPosition(shootingStartPoint());
    // Still on the stage from a shot that took no frame: it is placed again, not added twice.
    if (parent() && !bullet_->parent())
        parent()->addChild(bullet_);
}

std::shared_ptr<CCSprite> Gun::copyWithZone() const {
    auto copy = Weapon::copyWithZone();
    if (auto* gun = dynamic_cast<Gun*>(copy.get()); gun && bullet_)
        gun->setBullet(std::dynamic_pointer_cast<Bullet>(bullet_->copy()));
    return copy;
}
