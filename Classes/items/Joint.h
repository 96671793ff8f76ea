#pragma once

#include "CCSprite.h"

#include <memory>
#include <vector>

class JointedSprite;

// The round handle at one end of a limb. It is no node's child: its position is kept in the
// coordinates of its limb's parent and its limb draws it. Every link it holds (owner, pair,
// connections) is a non-owning reference, cleared by breakConnections.
class Joint : public Sprite {
public:
    ~Joint() override;

    // A joint with picture "joint.png" and no connections; null when the picture is missing.
    static std::shared_ptr<Joint> joint();
    bool initJoint();

    // Connects both ways; connecting twice changes nothing.
    void connectTo(Joint* other);
    // Drops the pair and every connection, on both sides.
    void breakConnections();

    // A rectangle 1.2 times the joint's picture (times the content scale factor) around its
    // position; the joint's own scale does not count.
    bool containsPoint(Point p) const override;

    // Moves this joint to p and pulls the figure after it, keeping every limb's length.
    // byTouch: the move starts at this articulation (a finger, or refreshJoints), so the joints
    // connected here are moved too; inside the chain only the far end's articulation is.
    void moveTo(Point p, bool byTouch);

    JointedSprite* owner() const { return owner_; }
    void setOwner(JointedSprite* owner) { owner_ = owner; }
    Joint* pairJoint() const { return pairJoint_; }
    void setPairJoint(Joint* pair) { pairJoint_ = pair; }
    const std::vector<Joint*>& connectedJoints() const { return connectedJoints_; }

private:
    JointedSprite* owner_ = nullptr;
    Joint* pairJoint_ = nullptr;
    std::vector<Joint*> connectedJoints_;
};
