#include "items/TapingSprite.h"

std::shared_ptr<TapingSprite> TapingSprite::spriteWithFile(const QString& fileName) {
    return ccCreate<TapingSprite>([&](TapingSprite& s) { return s.initWithFile(fileName); });
}

void TapingSprite::addTarget(std::shared_ptr<void> target,
                             std::function<void(TapingSprite*)> action) {
    target_ = std::move(target);
    action_ = std::move(action);
}

void TapingSprite::tap() {
    if (!target_ || !action_)
        return;
    // The action may replace the target; keep this one alive until it returns.
    const auto keep = target_;
    const auto action = action_;
    action(this);
}
