#pragma once

#include "base/Types.h"

#include <QString>
#include <QStringList>

#include <memory>

class CCSprite;
class Hmn;
class Weapon;

// The fixed lists of things the palettes offer, and the making of each. An entry's tag is its
// position in its list counted from 1; the palettes and the add commands go by the tag alone.
// Names stay exactly as stored animations use them, "pain-blue" included.
namespace Catalogue {

// Where a new object or weapon appears on the stage.
inline constexpr Point kAddPosition{100, 100};
// Weapons up to this tag are drawn larger than the figures hold them, so they start smaller.
inline constexpr int kLastSmallWeaponTag = 15;
inline constexpr float kSmallWeaponScale = 0.6f;
inline constexpr float kFigureScale = 0.3f;
inline constexpr int kLocksTag = 40;
inline constexpr int kSoundsTag = 41;
inline constexpr const char* kBubbleText = "Double tap to change text";

// 41 object names and 28 weapon names, in palette order.
const QStringList& objects();
const QStringList& weapons();
// The name at a tag; empty outside the list.
QString objectName(int tag);
QString weaponName(int tag);

// The palette picture of an object: its "-btn" picture when the resources have one, else its
// item picture. A weapon's palette picture is always "name.png" (the tank's names are button
// names already).
QString objectPalettePicture(int tag);
QString weaponPalettePicture(int tag);

// The facing a weapon entry makes: 1 for the right-facing ("-l") pictures, else 2.
int weaponOrientation(int tag);

// A new item for an entry, at (100, 100), not yet on any stage. Props of tags 1 to 6 stop
// bullets and the rest do not; bubbles keep their own setting and start with their hint text.
// Null for the locks and sounds entries, for tags outside the list and when a picture is
// missing.
std::shared_ptr<CCSprite> makeObject(int tag);
// The weapon of an entry, facing as its name says; tags up to 15 at scale 0.6.
std::shared_ptr<Weapon> makeWeapon(int tag);
// A figure at the window's centre, scale 0.3, joints hidden. Null if a limb picture is missing.
std::shared_ptr<Hmn> makeFigure();

} // namespace Catalogue
