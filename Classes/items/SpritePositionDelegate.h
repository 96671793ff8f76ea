#pragma once

#include "base/Types.h"

// Told by a limb of every position it is given, before the position takes effect.
class SpritePositionDelegate {
public:
    virtual void positionChanged(Point position) = 0;

protected:
    ~SpritePositionDelegate() = default;
};
