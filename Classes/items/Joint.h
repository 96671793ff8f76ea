#pragma once

#include "engine/CCSprite.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <memory>
#include <vector>

class JointedSprite;
class Joint;

// The joints connected at one articulation: at most three in a figure, so they are kept in the
// joint itself (a figure has twenty joints, and long animations hold thousands of figures).
// Grows onto the heap only past three.
class JointList {
public:
    JointList() = default;
    JointList(const JointList&) = delete;
    JointList& operator=(const JointList&) = delete;

    size_t size() const { return size_; }
    bool empty() const { return size_ == 0; }
    Joint* operator[](size_t i) const { return data()[i]; }
    Joint* const* begin() const { return data(); }
    Joint* const* end() const { return data() + size_; }
    bool contains(const Joint* j) const { return std::find(begin(), end(), j) != end(); }
    void push_back(Joint* j);
    void remove(const Joint* j);
    void clear() {
        size_ = 0;
        more_.reset();
    }
    friend bool operator==(const JointList& a, const std::vector<Joint*>& b) {
        return std::equal(a.begin(), a.end(), b.begin(), b.end());
    }

private:
    Joint* const* data() const { return more_ ? more_->data() : inline_.data(); }
    Joint** data() { return more_ ? more_->data() : inline_.data(); }

    std::array<Joint*, 3> inline_{};
    uint32_t size_ = 0;
    std::unique_ptr<std::vector<Joint*>> more_;
};

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
    const JointList& connectedJoints() const { return connectedJoints_; }

private:
    JointedSprite* owner_ = nullptr;
    Joint* pairJoint_ = nullptr;
    JointList connectedJoints_;
};
