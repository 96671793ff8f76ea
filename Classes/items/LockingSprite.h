#pragma once

#include "engine/CCSprite.h"

#include <QString>
#include <QVariantMap>

#include <memory>

// The base of every stage item but the plain engine sprite: a sprite the user can lock, so that
// stage touches no longer pick it. It also carries the per-kind hooks of copying and storing.
class LockingSprite : public CCSprite {
public:
    bool locked() const { return locked_; }
    void setLocked(bool locked) { locked_ = locked; }

    // The kind's copy with the lock flag carried over; null when the picture cannot be loaded.
    std::shared_ptr<LockingSprite> copy() const;
    // The kind's own copy, lock flag aside. Generic: an item of the same kind made from the same
    // picture, with position, scale, rotation, tag and opacity.
    virtual std::shared_ptr<CCSprite> copyWithZone() const;

    // The item dictionary: the generic keys, plus the kind's own.
    virtual QVariantMap serialize() const;
    // The concrete kind's name as stored under "className".
    virtual QString className() const;

protected:
    // A fresh, not yet initialised item of this object's concrete kind. Every kind overrides
    // it, so copies come out as the source's kind.
    virtual std::shared_ptr<LockingSprite> newInstance() const;

private:
    bool locked_ = false;
};
