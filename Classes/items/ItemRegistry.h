#pragma once

#include "engine/CCSprite.h"

#include <QString>
#include <QVariantMap>

#include <memory>

// Rebuilds stored items by their "className", the way the save reader reads frame records.
namespace ItemRegistry {

// The item a record stands for, rebuilt by the kind its class name maps to:
// "Sprite" → Bullet for the laser picture "lazer-l.png" (older files stored laser beams as
// plain sprites), else the plain engine Sprite; "BoundingSprite"; the fifteen weapon kinds;
// "Hmn"; "Tree", "Car", "Bullet", "SpeechBubble". Null for any other name (a sound record
// included) and for an item that cannot be made.
std::shared_ptr<CCSprite> unserialize(const QVariantMap& record);

// Whether a class name is one of the item names above.
bool isItemClassName(const QString& className);

} // namespace ItemRegistry
