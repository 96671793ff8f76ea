#pragma once

#include "items/JointedSprite.h"
#include "items/LockingSprite.h"
#include "items/SpritePositionDelegate.h"

#include <array>
#include <cstdint>
#include <memory>

// The colour of a figure, passed by value.
struct hmnColor {
    uint8_t red = 0;
    uint8_t green = 0;
    uint8_t blue = 0;
    friend constexpr bool operator==(hmnColor a, hmnColor b) {
        return a.red == b.red && a.green == b.green && a.blue == b.blue;
    }
};

inline constexpr hmnColor hmnColorMake(uint8_t red, uint8_t green, uint8_t blue) {
    return hmnColor{red, green, blue};
}

// The stick figure: ten limbs joined at their ends, posed by dragging joints. The figure node
// itself stays at the origin with scale 1 (position and scale are the figure's own and never
// reach the engine node), so limbs and joints live in the coordinates of the figure's parent.
// Its position is always the body's centre, which the body reports as the figure's delegate.
class Hmn : public LockingSprite, public SpritePositionDelegate {
public:
    // The limbs in child order, which is also their drawing order and the order of every loop
    // over the figure's limbs.
    enum Limb {
        Head,
        Body,
        LeftForearm,
        LeftArm,
        RightArm,
        RightForearm,
        RightHip,
        RightLeg,
        LeftHip,
        LeftLeg,
        LimbCount
    };

    ~Hmn() override;

    // A figure in its default pose; null when a limb picture cannot be loaded.
    static std::shared_ptr<Hmn> node();
    bool init() override;
    // A figure is not made from a picture.
    bool initWithFile(const QString& fileName) override;

    // Scales every limb (re-placing its joints upright), then re-derives the pose.
    void setScale(float s) override;
    // Moves every limb and joint by the same offset.
    void setPosition(Point p) override;
    Point position() const override { return hPosition_; }
    void positionChanged(Point p) override { hPosition_ = p; }

    // Whether any limb's picture rectangle holds p; joints are not tested.
    bool containsPoint(Point p) const override;
    // From the body picture: half its height wide, its height / 1.8 high.
    Size contentSize() const override;

    void setColorWithHmnColor(::hmnColor color);
    void setColorWithRed(uint8_t red, uint8_t green, uint8_t blue);
    ::hmnColor hmnColor() const { return currColor_; }
    void setShowJoints(bool show);

    // Re-lays every limb from the joint positions, starting at the neck.
    void refreshJoints();

    // Everything posing, moving or resizing changes: each limb's joints, centre, rotation and
    // scale, the figure's position and scale. Setting a pose back restores the figure exactly
    // (nothing is re-derived), which is what undoing an edit needs.
    struct Pose {
        struct LimbState {
            Point tail, head, position;
            float rotation = 0;
            float scale = 1;
            bool operator==(const LimbState&) const = default;
        };
        std::array<LimbState, LimbCount> limbs{};
        Point position;
        float scale = 0;
        bool operator==(const Pose&) const = default;
    };
    Pose pose() const;
    void setPose(const Pose& pose);

    std::shared_ptr<CCSprite> copyWithZone() const override;
    QVariantMap serialize() const override;
    QString className() const override;
    static std::shared_ptr<Hmn> unserialize(const QVariantMap& d);

    // Drops every link among the figure's joints and limbs, so nothing refers to anything else.
    void breakConnections();

    // Draws the limbs with premultiplied blending, then restores the usual blending.
    void visit(Renderer& r) override;

    float hScale() const { return hScale_; }
    JointedSprite* limb(Limb which) const { return limbs_[which].get(); }
    JointedSprite* head() const { return limbs_[Head].get(); }
    JointedSprite* body() const { return limbs_[Body].get(); }
    JointedSprite* leftForearm() const { return limbs_[LeftForearm].get(); }
    JointedSprite* leftArm() const { return limbs_[LeftArm].get(); }
    JointedSprite* rightForearm() const { return limbs_[RightForearm].get(); }
    JointedSprite* rightArm() const { return limbs_[RightArm].get(); }
    JointedSprite* leftHip() const { return limbs_[LeftHip].get(); }
    JointedSprite* leftLeg() const { return limbs_[LeftLeg].get(); }
    JointedSprite* rightHip() const { return limbs_[RightHip].get(); }
    JointedSprite* rightLeg() const { return limbs_[RightLeg].get(); }

    // The limb names used by the stored keys ("body", "leftForearm", ...).
    static const char* limbName(Limb which);

protected:
    std::shared_ptr<LockingSprite> newInstance() const override;

private:
    std::array<std::shared_ptr<JointedSprite>, LimbCount> limbs_;
    float hScale_ = 0;
    Point hPosition_;
    ::hmnColor currColor_;
};
