#pragma once

#include "items/Weapon.h"

// A firearm: it owns a bullet, which a shot puts on the stage at the firing point.
class Gun : public WeaponKind<Gun, Weapon> {
public:
    static constexpr const char* kClassName = "Gun";

    static std::shared_ptr<Gun> gunWithOrientation(int orientation);
    bool initWithOrientation(int orientation) override;

    // Turns the bullet like the gun, places it at the firing point and adds it to the gun's
    // parent (the stage).
    void performShoot() override;

    // The weapon copy plus a bullet of its own.
    std::shared_ptr<CCSprite> copyWithZone() const override;

protected:
    // The gun's picture and its bullet's, each by orientation (1, or any other value).
    bool initGun(int orientation, const QString& picture1, const QString& otherPicture,
                 const QString& bullet1, const QString& otherBullet, float bulletScale = 1);
};
