#pragma once

#include "engine/CCSprite.h"
#include "items/Joint.h"
#include "items/SpritePositionDelegate.h"

#include <memory>

// One limb of a stick figure: an upright picture with a joint at each end, `headJoint` at the
// top and `tailJoint` at the bottom. The limb holds its joints and draws them on top of itself.
class JointedSprite : public Sprite {
public:
    ~JointedSprite() override;

    // A limb from a picture; null when the picture (or the joint picture) cannot be loaded.
    static std::shared_ptr<JointedSprite> spriteWithFile(const QString& fileName);
    bool initWithFile(const QString& fileName) override;

    // Moves the joints along with the limb.
    void setPosition(Point p) override { setPosition(p, true); }
    // The delegate hears of p before it takes effect, whether or not the joints follow.
    void setPosition(Point p, bool updateJoints);
    // Scales the picture and re-places the joints at its ends, as for an upright limb.
    void setScale(float s) override;

    // Clears the joints' owner and tears down both joints' links.
    void breakConnections();

    void visit(Renderer& r) override;

    Joint* headJoint() { return &headJoint_; }
    Joint* tailJoint() { return &tailJoint_; }
    const Joint* headJoint() const { return &headJoint_; }
    const Joint* tailJoint() const { return &tailJoint_; }
    bool showJoints() const { return showJoints_; }
    void setShowJoints(bool show) { showJoints_ = show; }
    SpritePositionDelegate* delegate() const { return delegate_; }
    void setDelegate(SpritePositionDelegate* delegate) { delegate_ = delegate; }

private:
    void placeJoints();

    Joint headJoint_;
    Joint tailJoint_;
    bool showJoints_ = false;
    SpritePositionDelegate* delegate_ = nullptr;
};
