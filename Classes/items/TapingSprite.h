#pragma once

#include "engine/CCSprite.h"

#include <functional>
#include <memory>

// A sprite that reports a tap to a target, for the buttons of the in-scene palettes. The target
// is kept alive while it is set; it must not own the sprite itself, or neither ever goes.
class TapingSprite : public Sprite {
public:
    static std::shared_ptr<TapingSprite> spriteWithFile(const QString& fileName);

    // Lets go of the previous target and keeps this one; the action gets the tapped sprite.
    template <class T>
    void addTarget(std::shared_ptr<T> target, void (T::*action)(TapingSprite* sprite)) {
        T* receiver = target.get();
        addTarget(std::shared_ptr<void>(std::move(target)),
                  [receiver, action](TapingSprite* sprite) { (receiver->*action)(sprite); });
    }
    void addTarget(std::shared_ptr<void> target, std::function<void(TapingSprite*)> action);

    // Invokes the action with this sprite when a target is set; otherwise nothing.
    void tap();

    bool hasTarget() const { return target_ != nullptr; }

private:
    std::shared_ptr<void> target_;
    std::function<void(TapingSprite*)> action_;
};
