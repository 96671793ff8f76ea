#include "items/JointedSprite.h"

JointedSprite::~JointedSprite() {
    // Whoever discards a figure should have torn it down; if not, no other joint may keep
    // pointing at ours.
    breakConnections();
}

std::shared_ptr<JointedSprite> JointedSprite::spriteWithFile(const QString& fileName) {
    return ccCreate<JointedSprite>([&](JointedSprite& s) { return s.initWithFile(fileName); });
}

bool JointedSprite::initWithFile(const QString& fileName) {
    if (!Sprite::initWithFile(fileName))
        return false;
    auto head = Joint::joint();
    auto tail = Joint::joint();
    if (!head || !tail)
        return false;
    head->setPairJoint(tail.get());
    tail->setPairJoint(head.get());
    head->setOwner(this);
    tail->setOwner(this);
    head->setScale(0.6f);
    tail->setScale(0.6f);
    headJoint_ = std::move(head);
    tailJoint_ = std::move(tail);
    placeJoints();
    return true;
}

void JointedSprite::placeJoints() {
    if (!headJoint_ || !tailJoint_)
        return;
    const double half = double(contentSize().height) * double(scaleX()) * 0.5;
    headJoint_->setPosition(Point(position_.x, float(double(position_.y) + half)));
    tailJoint_->setPosition(Point(position_.x, float(double(position_.y) - half)));
}

void JointedSprite::setPosition(Point p, bool updateJoints) {
    if (updateJoints && headJoint_ && tailJoint_) {
        const Point offset = p - position_;
        headJoint_->setPosition(headJoint_->position() + offset);
        tailJoint_->setPosition(tailJoint_->position() + offset);
    }
    if (delegate_)
        delegate_->positionChanged(p);
    Sprite::setPosition(p);
}

void JointedSprite::setScale(float s) {
    Sprite::setScale(s);
    placeJoints();
}

void JointedSprite::breakConnections() {
    if (headJoint_)
        headJoint_->setOwner(nullptr);
    if (tailJoint_)
        tailJoint_->setOwner(nullptr);
    if (tailJoint_)
        tailJoint_->breakConnections();
    if (headJoint_)
        headJoint_->breakConnections();
}

void JointedSprite::visit(Renderer& r) {
    Sprite::visit(r);
    // Joints stand in the same coordinates as the limb, so they are drawn from the parent's
    // matrix, which the limb's own visit has restored.
    if (!showJoints_ || !visible())
        return;
    if (headJoint_)
        headJoint_->visit(r);
    if (tailJoint_)
        tailJoint_->visit(r);
}
