#include "items/Tree.h"

#include "items/SerializableSprite.h"

std::shared_ptr<Tree> Tree::tree() {
    return ccCreate<Tree>([](Tree& t) { return t.initTree(); });
}

bool Tree::initTree() {
    if (!initWithFile(QStringLiteral("tree.png")))
        return false;
    addBound(BRect{30, 105, 95, 55}); // crown
    addBound(BRect{64, 5, 20, 95});   // trunk
    return true;
}

QString Tree::className() const {
    return QStringLiteral("Tree");
}

std::shared_ptr<Tree> Tree::unserialize(const QVariantMap& d) {
    return genericUnserialize<Tree>(d);
}

std::shared_ptr<LockingSprite> Tree::newInstance() const {
    return std::make_shared<Tree>();
}
