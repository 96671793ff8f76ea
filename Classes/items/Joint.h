#pragma once

#include "base/Types.h"
#include "engine/CCTexture2D.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <memory>
#include <vector>

class JointedSprite;
class Joint;
class Renderer;

// The joints connected at one articulation: at most three in a figure, so they are kept in the
// list itself (a figure has twenty joints, and long animations hold thousands of figures).
// Moves onto the heap only past three.
class JointList {
public:
    JointList() : inline_{} {}
    JointList(const JointList&) = delete;
    JointList& operator=(const JointList&) = delete;
    ~JointList() { clear(); }

    size_t size() const { return size_; }
    bool empty() const { return size_ == 0; }
    Joint* operator[](size_t i) const { return data()[i]; }
    Joint* const* begin() const { return data(); }
    Joint* const* end() const { return data() + size_; }
    bool contains(const Joint* j) const { return std::find(begin(), end(), j) != end(); }
    void push_back(Joint* j);
    void remove(const Joint* j);
    void clear();
    friend bool operator==(const JointList& a, const std::vector<Joint*>& b) {
        return std::equal(a.begin(), a.end(), b.begin(), b.end());
    }

private:
    static constexpr uint32_t kInline = 3;
    bool onHeap() const { return size_ > kInline; }
    Joint* const* data() const { return onHeap() ? more_->data() : inline_.data(); }
    Joint** data() { return onHeap() ? more_->data() : inline_.data(); }

    uint32_t size_ = 0;
    union {
        std::array<Joint*, kInline> inline_;
        std::vector<Joint*>* more_; // owned, while size_ > kInline
    };
};

// The round handle at one end of a limb. It is no node: long animations hold hundreds of
// thousands of joints, so a joint is only its picture, position and links, kept inside its limb,
// which draws it while the figure is posed. Its position is in the coordinates of its limb's
// parent. Every link it holds (owner, pair, connections) is a non-owning reference, cleared by
// breakConnections.
class Joint {
public:
    Joint() = default;
    Joint(const Joint&) = delete;
    Joint& operator=(const Joint&) = delete;
    ~Joint();

    // A loose joint with picture "joint.png" and no connections; null when the picture is
    // missing.
    static std::unique_ptr<Joint> joint();
    bool initJoint();

    // Connects both ways; connecting twice changes nothing.
    void connectTo(Joint* other);
    // Drops the pair and every connection, on both sides.
    void breakConnections();

    // A rectangle 1.2 times the joint's picture (times the content scale factor) around its
    // position; the joint's own scale does not count.
    bool containsPoint(Point p) const;

    // Moves this joint to p and pulls the figure after it, keeping every limb's length.
    // byTouch: the move starts at this articulation (a finger, or refreshJoints), so the joints
    // connected here are moved too; inside the chain only the far end's articulation is.
    void moveTo(Point p, bool byTouch);

    Point position() const { return position_; }
    void setPosition(Point p) { position_ = p; }
    // Every joint is drawn at this scale of its picture.
    static constexpr float kScale = 0.6f;
    float scale() const { return kScale; }
    // The picture's size in points; zero before initJoint.
    Size contentSize() const;
    // The picture, centred on the position and scaled, in the renderer's current space.
    void draw(Renderer& r) const;

    JointedSprite* owner() const { return owner_; }
    void setOwner(JointedSprite* owner) { owner_ = owner; }
    Joint* pairJoint() const { return pairJoint_; }
    void setPairJoint(Joint* pair) { pairJoint_ = pair; }
    const JointList& connectedJoints() const { return connectedJoints_; }

private:
    CCTexture2DPtr picture_;
    Point position_;
    JointedSprite* owner_ = nullptr;
    Joint* pairJoint_ = nullptr;
    JointList connectedJoints_;
};
