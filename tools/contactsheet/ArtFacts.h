#pragma once

// What the pictures have to agree with, taken from the item classes themselves: where each
// weapon fires from as the weapons palette puts it on the stage, and how the figure stands in
// its default pose. The contact sheet draws these facts over the art; the resource tests hold
// the art to them. Both read the pictures of the resource folder ($KELVORA_RESOURCES).

#include "items/Hmn.h"

#include <QPointF>
#include <QString>

#include <array>
#include <optional>
#include <vector>

namespace artfacts {

// One weapon of the weapons palette in one facing.
struct WeaponShot {
    QString kind;    // the class, for messages
    int orientation; // 1 fires from the picture's right end, 2 from its left end
    double scale;    // 0.6 for palette entries 1 to 15, the class's own 1 after that
    bool made;       // false when the class could not load its pictures; nothing below is set
    QString picture;
    // Where the class fires from, in the picture's own points: x from the left edge, y down
    // from the top edge.
    QPointF firingPoint;
    QString bullet; // the picture a gun fires; empty for the thrown weapons, which fly themselves
    double bulletScale;
};

std::vector<WeaponShot> weaponShots();

// A limb of the default figure in stage points (y up), for a figure built at the origin.
struct LimbPose {
    QPointF head, tail;
    double height; // picture height at the figure's scale; the joints are 0.8 of it apart
    QString picture;
};
using FigurePose = std::array<LimbPose, Hmn::LimbCount>;

// The default figure at the given scale, in child order; nothing when it cannot be made.
std::optional<FigurePose> defaultPose(double scale);

} // namespace artfacts
