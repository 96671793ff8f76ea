#pragma once

#include "items/Bullet.h"
#include "items/DictionaryValues.h"
#include "items/LockingSprite.h"
#include "items/SerializableSprite.h"

#include <memory>

// A stage item that can fire, facing one way (`orientation` 1) or the other (2). The bare class
// is abstract: every kind chooses its pictures in initWithOrientation.
class Weapon : public LockingSprite {
public:
    // The kind's pictures for the orientation (a gun also makes its bullet). On the bare class
    // this raises "Weapon initWithOrientation".
    virtual bool initWithOrientation(int orientation);

    // What travels when the weapon fires: a gun's bullet (null if its picture was missing), a
    // thrown weapon itself.
    virtual std::shared_ptr<LockingSprite> bullet();
    // Keeps the new bullet and lets go of the old one.
    void setBullet(std::shared_ptr<Bullet> bullet) { bullet_ = std::move(bullet); }

    // Where a shot leaves the weapon, in its parent's coordinates: the end of the picture's
    // horizontal centre line after rotation (the left end for orientation 2, else the right),
    // raised by a fifth of the scaled picture height.
    virtual Point shootingStartPoint() const;
    // Whether a touch there may start a shot: within the 30 × 30 square around the firing
    // point (left and bottom edges in, right and top out).
    virtual bool canPerformShootingAtPoint(Point p) const;
    // What the weapon does as a shot begins; nothing by default.
    virtual void performShoot();

    // Kept exactly as set: anything but 1 shows the second picture, anything but 2 fires
    // from the right end.
    int orientation() const { return orientation_; }
    void setOrientation(int orientation) { orientation_ = orientation; }

    // The item copy plus the orientation.
    std::shared_ptr<CCSprite> copyWithZone() const override;
    // The item dictionary plus "weaponOrientation".
    QVariantMap serialize() const override;
    QString className() const override;

protected:
    std::shared_ptr<LockingSprite> newInstance() const override;

    // The picture for orientation 1, or `otherPicture` for any other value.
    bool initWithPictures(int orientation, const QString& picture1, const QString& otherPicture);
    // The base firing point, which the kinds' adjustments start from.
    Point baseShootingStartPoint() const;

    // The loading of every weapon kind: a new K from the stored orientation (pictures and
    // bullet follow from kind and orientation, not from the stored picture name), at the
    // stored position, scale and rotation.
    template <class K> static std::shared_ptr<K> unserializeKind(const QVariantMap& d);

    std::shared_ptr<Bullet> bullet_;

private:
    int orientation_ = 0;
};

template <class K> std::shared_ptr<K> Weapon::unserializeKind(const QVariantMap& d) {
    const auto stored = genericUnserialize<K>(d);
    if (!stored)
        return nullptr;
    const int orientation = dictvalues::dictInt(d, QStringLiteral("weaponOrientation"));
    auto weapon = ccCreate<K>([orientation](K& k) { return k.initWithOrientation(orientation); });
    if (!weapon)
        return nullptr;
    weapon->setPosition(stored->position());
    weapon->setScale(stored->scaleX());
    weapon->setRotation(stored->rotation());
    return weapon;
}

// What every weapon kind repeats: its class name (Self::kClassName), loading it back from its
// dictionary, making one for an orientation, and a blank instance for copies.
template <class Self, class Base> class WeaponKind : public Base {
public:
    QString className() const override { return QString::fromLatin1(Self::kClassName); }
    static std::shared_ptr<Self> unserialize(const QVariantMap& d) {
        return Weapon::unserializeKind<Self>(d);
    }

protected:
    static std::shared_ptr<Self> create(int orientation) {
        return ccCreate<Self>(
            [orientation](Self& w) { return w.initWithOrientation(orientation); });
    }
    std::shared_ptr<LockingSprite> newInstance() const override { return std::make_shared<Self>(); }
};

// A weapon that is thrown: the weapon itself travels, and a shot starts from a touch on its
// picture.
class ThrownWeapon : public Weapon {
public:
    std::shared_ptr<LockingSprite> bullet() override;
    bool canPerformShootingAtPoint(Point p) const override;
};
