#pragma once

#include "items/BoundingSprite.h"

// A tree: only its crown and trunk are solid.
class Tree : public BoundingSprite {
public:
    static std::shared_ptr<Tree> tree();
    // "tree.png" with its crown and trunk rectangles, in that order.
    bool initTree();

    QString className() const override;
    // Rebuilt by initTree whatever picture name was stored.
    static std::shared_ptr<Tree> unserialize(const QVariantMap& d);

protected:
    std::shared_ptr<LockingSprite> newInstance() const override;
};
