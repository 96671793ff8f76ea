#include "items/LockingSprite.h"

#include "items/CopyingSprite.h"
#include "items/SerializableSprite.h"

std::shared_ptr<LockingSprite> LockingSprite::copy() const {
    auto item = std::dynamic_pointer_cast<LockingSprite>(copyWithZone());
    if (item)
        item->setLocked(locked_);
    return item;
}

std::shared_ptr<CCSprite> LockingSprite::copyWithZone() const {
    auto item = newInstance();
    if (!initCopyOfSprite(*item, *this))
        return nullptr;
    return item;
}

QVariantMap LockingSprite::serialize() const {
    return genericSerialize(*this, className());
}

QString LockingSprite::className() const {
    return QStringLiteral("LockingSprite");
}

std::shared_ptr<LockingSprite> LockingSprite::newInstance() const {
    return std::make_shared<LockingSprite>();
}
