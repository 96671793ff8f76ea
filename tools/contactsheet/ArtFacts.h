#pragma once

// What the pictures have to agree with: where each weapon fires from as the weapons palette
// puts it on the stage, and how the figure stands in its default pose for given limb pictures.
// The contact sheet draws these facts over the art; the resource tests hold the art to them.

#include <QPointF>
#include <QSizeF>

#include <array>
#include <cmath>
#include <numbers>
#include <vector>

namespace artfacts {

// One weapon picture as the palette makes it: the class's firing-point adjustment (stage
// points, y up, added to the base point), the scale the palette leaves it at (0.6 for palette
// entries 1 to 15, the class's own 1 after that) and the bullet it fires.
struct WeaponShot {
    const char* picture;
    int orientation; // 1 fires from the picture's right end, 2 from its left end
    double scale;
    double dx, dy;
    const char* bullet; // null for the thrown weapons, which fly themselves
    double bulletScale;
};

inline constexpr WeaponShot kWeaponShots[] = {
    {"knife-l.png", 1, 0.6, 0, 0, nullptr, 1},
    {"knife.png", 2, 0.6, 0, 0, nullptr, 1},
    {"gun-l.png", 1, 0.6, 0, 0, "bullet-l.png", 1},
    {"gun.png", 2, 0.6, 0, 0, "bullet.png", 1},
    {"rifle-l.png", 1, 0.6, 0, 0, "bullet-l.png", 1},
    {"rifle.png", 2, 0.6, 0, 0, "bullet.png", 1},
    {"lazergun-l.png", 1, 0.6, 0, 0, "lazer-l.png", 1},
    {"lazergun.png", 2, 0.6, 0, 0, "lazer-l.png", 1},
    {"grenade.png", 2, 0.6, 0, 0, nullptr, 1},
    {"cannon-l.png", 1, 0.6, 0, -10, "cannon-bullet.png", 1},
    {"cannon.png", 2, 0.6, 0, -10, "cannon-bullet.png", 1},
    {"pistol-l.png", 1, 0.6, -12, -8, "bullet-l.png", 1},
    {"pistol.png", 2, 0.6, 12, -8, "bullet.png", 1},
    {"colt-l.png", 1, 0.6, -10, 0, "bullet-l.png", 1},
    {"colt.png", 2, 0.6, 10, 0, "bullet.png", 1},
    {"mgun-l.png", 1, 1, 0, 0, "mgbull.png", 1},
    {"mgun.png", 2, 1, 0, 0, "mgbull.png", 1},
    {"launcher-l.png", 1, 1, 0, 0, "rocket-l.png", 1},
    {"launcher.png", 2, 1, 0, 0, "rocket.png", 1},
    {"tank-l.png", 1, 1, 0, 23, "tankbomb-l.png", 1},
    {"tank.png", 2, 1, 0, 23, "tankbomb.png", 1},
    {"m16-l.png", 1, 1, 3, -3, "bullet-l.png", 1},
    {"m16.png", 2, 1, 3, -3, "bullet.png", 1},
    {"ak47-l.png", 1, 1, 0, 0, "bullet-l.png", 1},
    {"ak47.png", 2, 1, 0, 0, "bullet.png", 1},
    {"pbgun-l.png", 1, 1, 0, 0, "cannon-bullet.png", 0.3},
    {"pbgun.png", 2, 1, 0, 0, "cannon-bullet.png", 0.3},
};

// The firing point in the picture's own points (x from the left edge, y down from the top
// edge): the end of the horizontal centre line raised by a fifth of the height, plus the
// class's adjustment, which is in stage points and so shrinks into the picture by the scale.
inline QPointF firingPointInPicture(const WeaponShot& w, QSizeF size) {
    const double x = (w.orientation == 2 ? 0.0 : size.width()) + w.dx / w.scale;
    const double y = size.height() * 0.3 - w.dy / w.scale;
    return {x, y};
}

// The figure's limbs in child order, each with its head joint (top of the picture) and tail
// joint (bottom), in stage points with y up, for a figure built at the origin and scaled.
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

struct LimbPose {
    QPointF head, tail;
    double height; // picture height at this scale; the joints are 0.8 of it apart
};

struct FigurePictures {
    QSizeF head, body, arm, hip;
};

// The default pose: limbs placed by the picture widths and heights, then the joint chain
// re-laid from the neck outwards, once at scale 1 and again after the figure's scale is set.
inline std::array<LimbPose, LimbCount> defaultPose(const FigurePictures& pics, double scale) {
    struct Joint {
        QPointF pos;
        int limb;
        bool isHead;
        std::vector<int> connected;
    };
    struct Sprite {
        QSizeF size;
        QPointF pos;
        double scale = 1;
    };
    std::array<Sprite, LimbCount> limbs;
    std::array<Joint, 2 * LimbCount> joints; // 2i: head joint of limb i, 2i+1: its tail joint
    const QSizeF sizes[LimbCount] = {pics.head, pics.body, pics.arm, pics.arm, pics.arm,
                                     pics.arm,  pics.hip,  pics.hip, pics.hip, pics.hip};
    for (int i = 0; i < LimbCount; ++i) {
        limbs[i].size = sizes[i];
        joints[2 * i] = {{}, i, true, {}};
        joints[2 * i + 1] = {{}, i, false, {}};
    }
    auto placeUpright = [&](int i) {
        const double half = limbs[i].size.height() * limbs[i].scale * 0.5;
        joints[2 * i].pos = limbs[i].pos + QPointF(0, half);
        joints[2 * i + 1].pos = limbs[i].pos - QPointF(0, half);
    };
    auto place = [&](int i, QPointF p) {
        limbs[i].pos = p;
        placeUpright(i);
    };
    const auto w = [&](int i) {
        return limbs[i].size.width();
    };
    const double bodyH = pics.body.height();
    place(Head, {0, 0.25 * bodyH});
    place(Body, limbs[Head].pos - QPointF(0, 0.5 * bodyH));
    place(LeftForearm, limbs[Body].pos + QPointF(-2 * w(LeftForearm), -0.5 * w(LeftForearm)));
    place(LeftArm, limbs[LeftForearm].pos + QPointF(-2 * w(LeftArm), -0.5 * w(LeftArm)));
    place(RightForearm, limbs[Body].pos + QPointF(2 * w(RightForearm), 0.5 * w(RightForearm)));
    place(RightArm, limbs[RightForearm].pos + QPointF(2 * w(RightArm), -0.5 * w(RightArm)));
    place(LeftHip, limbs[Body].pos + QPointF(-w(LeftHip), -0.5 * w(LeftHip)));
    place(LeftLeg, limbs[LeftHip].pos + QPointF(-w(LeftLeg), -0.5 * w(LeftLeg)));
    place(RightHip, limbs[Body].pos + QPointF(w(RightHip), -0.5 * w(RightHip)));
    place(RightLeg, limbs[RightHip].pos + QPointF(w(RightLeg), -0.5 * w(RightLeg)));

    const auto head = [](int i) {
        return 2 * i;
    };
    const auto tail = [](int i) {
        return 2 * i + 1;
    };
    auto connect = [&](int a, int b) {
        for (int c : joints[a].connected)
            if (c == b)
                return;
        joints[a].connected.push_back(b);
        joints[b].connected.push_back(a);
    };
    const int links[][2] = {{tail(Head), head(Body)},
                            {head(LeftForearm), head(Body)},
                            {head(LeftForearm), tail(Head)},
                            {head(LeftArm), tail(LeftForearm)},
                            {head(RightForearm), head(Body)},
                            {head(RightForearm), tail(Head)},
                            {head(RightArm), tail(RightForearm)},
                            {head(RightForearm), head(LeftForearm)},
                            {head(RightHip), tail(Body)},
                            {head(RightLeg), tail(RightHip)},
                            {head(LeftHip), tail(Body)},
                            {head(LeftLeg), tail(LeftHip)},
                            {head(LeftHip), head(RightHip)}};
    for (const auto& link : links)
        connect(link[0], link[1]);

    // Moving a joint: its pair follows at one limb length on the line back towards where it
    // stood, and whatever hangs from the pair is pulled along in turn.
    auto moveTo = [&](auto& self, int j, QPointF p, bool byTouch) -> void {
        const int pair = j ^ 1;
        const Sprite& limb = limbs[joints[j].limb];
        const QPointF d = p - joints[pair].pos;
        const double len = std::hypot(d.x(), d.y());
        double a = len > 0 ? std::acos(d.x() / len) : std::numbers::pi / 2;
        if (d.y() < 0)
            a = -a;
        const double l = 0.8 * limb.size.height() * limb.scale;
        joints[j].pos = p;
        joints[pair].pos = p - QPointF(l * std::cos(a), l * std::sin(a));
        for (int k : joints[pair].connected)
            self(self, k, joints[pair].pos, false);
        if (byTouch)
            for (int k : joints[j].connected)
                self(self, k, p, false);
    };
    auto refresh = [&] {
        moveTo(moveTo, tail(Head), joints[tail(Head)].pos, true);
    };

    refresh();
    for (int i = 0; i < LimbCount; ++i) {
        // Scaling re-places the joints upright around each limb's unchanged centre.
        limbs[i].pos = (joints[head(i)].pos + joints[tail(i)].pos) / 2;
        limbs[i].scale = scale;
        placeUpright(i);
    }
    refresh();

    std::array<LimbPose, LimbCount> pose;
    for (int i = 0; i < LimbCount; ++i)
        pose[i] = {joints[head(i)].pos, joints[tail(i)].pos, limbs[i].size.height() * scale};
    return pose;
}

} // namespace artfacts
