#pragma once

#include "engine/CCSprite.h"

#include <memory>

// The generic copy of a sprite: a sprite made from the source's picture that takes the source's
// position, scale, rotation, tag and opacity (in that order). It is on no layer, has no children
// or actions, and keeps the colour, visibility, z-order and anchor of a fresh sprite.

// Makes `copy` (freshly constructed, of the kind wanted) the generic copy of `source`. False
// when the source has no picture name or the picture cannot be loaded.
bool initCopyOfSprite(CCSprite& copy, const CCSprite& source);

template <class K> std::shared_ptr<K> genericCopy(const CCSprite& source) {
    auto copy = std::make_shared<K>();
    if (!initCopyOfSprite(*copy, source))
        return nullptr;
    return copy;
}

// The copy of any sprite on the stage: an item's own copy (lock flag included), else the
// generic copy as the same engine kind. Null when the picture cannot be loaded.
std::shared_ptr<CCSprite> copySprite(const CCSprite& source);
