#include "items/CopyingSprite.h"

#include "items/JointedSprite.h"
#include "items/LockingSprite.h"
#include "items/TapingSprite.h"

bool initCopyOfSprite(CCSprite& copy, const CCSprite& source) {
    // Creating a sprite from no name is an engine contract failure; a copy just fails.
    if (source.textureName().isEmpty() || !copy.initWithFile(source.textureName()))
        return false;
    copy.setPosition(source.position());
    if (source.scaleX() == source.scaleY()) {
        copy.setScale(source.scaleX());
    } else {
        copy.setScaleX(source.scaleX());
        copy.setScaleY(source.scaleY());
    }
    copy.setRotation(source.rotation());
    copy.setTag(source.tag());
    copy.setOpacity(source.opacity());
    return true;
}

std::shared_ptr<CCSprite> copySprite(const CCSprite& source) {
    if (const auto* item = dynamic_cast<const LockingSprite*>(&source))
        return item->copy();
    // Most derived first, so the copy is of the source's own kind.
    if (dynamic_cast<const JointedSprite*>(&source))
        return genericCopy<JointedSprite>(source);
    if (dynamic_cast<const TapingSprite*>(&source))
        return genericCopy<TapingSprite>(source);
    if (dynamic_cast<const Sprite*>(&source))
        return genericCopy<Sprite>(source);
    return genericCopy<CCSprite>(source);
}
