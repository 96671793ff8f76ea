#pragma once

#include "items/BRect.h"
#include "items/LockingSprite.h"

#include <vector>

// A prop with hand-made hit rectangles, so that only its solid parts count as hit by a touch or
// a bullet; no rectangles means the whole picture counts.
class BoundingSprite : public LockingSprite {
public:
    // Null when the picture cannot be loaded.
    static std::shared_ptr<BoundingSprite> spriteWithFile(const QString& fileName);
    // The picture, no rectangles, colliding with bullets.
    bool initWithFile(const QString& fileName) override;

    // Rectangles never change once built, so copies hold the same ones.
    const std::vector<BRect>& bounds() const { return bounds_; }
    bool detectCollisions() const { return detectCollisions_; }
    void setDetectCollisions(bool detect) { detectCollisions_ = detect; }

    // Inside the unscaled picture rectangle (the engine's test) and, when there are
    // rectangles, inside one of them: placed from the scaled picture's corner by unscaled
    // offsets, scaled in size, never shifted by the parent. Rotation is not taken into account.
    bool containsPoint(Point p) const override;

    // The item copy plus the rectangles and the collision flag.
    std::shared_ptr<CCSprite> copyWithZone() const override;
    QString className() const override;
    static std::shared_ptr<BoundingSprite> unserialize(const QVariantMap& d);

protected:
    std::shared_ptr<LockingSprite> newInstance() const override;
    void addBound(BRect r) { bounds_.push_back(r); }

private:
    std::vector<BRect> bounds_;
    bool detectCollisions_ = true;
};
