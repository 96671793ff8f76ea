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
    if (!headJoint_.initJoint() || !tailJoint_.initJoint())
        return false;
    headJoint_.setPairJoint(&tailJoint_);
    tailJoint_.setPairJoint(&headJoint_);
    headJoint_.setOwner(this);
    tailJoint_.setOwner(this);
    placeJoints();
    return true;
}

void JointedSprite::placeJoints() {
    const double half = double(contentSize().height) * double(scaleX()) * 0.5;
    headJoint_.setPosition(Point(position_.x, float(double(position_.y) + half)));
    tailJoint_.setPosition(Point(position_.x, float(double(position_.y) - half)));
}

void JointedSprite::setPosition(Point p, bool updateJoints) {
    if (updateJoints) {
        const Point offset = p - position_;
        headJoint_.setPosition(headJoint_.position() + offset);
        tailJoint_.setPosition(tailJoint_.position() + offset);
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
    headJoint_.setOwner(nullptr);
    tailJoint_.setOwner(nullptr);
    tailJoint_.breakConnections();
    headJoint_.breakConnections();
}

void JointedSprite::visit(Renderer& r) {
    Sprite::visit(r);
    // Joints stand in the same coordinates as the limb, so they are drawn from the parent's
    // matrix, which the limb's own visit has restored.
    if (!showJoints_ || !visible())
        return;
    headJoint_.draw(r);
    tailJoint_.draw(r);
}
