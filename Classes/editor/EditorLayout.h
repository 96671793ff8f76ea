#pragma once

#include "base/Screen.h"

// Where the editor screen's controls sit, in points.
namespace editorlayout {

inline constexpr int kToolbarTab = 30; // the strip above the toolbar's buttons with its toggle
inline constexpr int kToolbarRow = 47;
inline constexpr int kToolbarHeight = kToolbarTab + kToolbarRow;
inline constexpr int kToolbarButton = 44;
inline constexpr int kToolbarSpacing = 6;
// The scrolling row of buttons: right of the toolbar's toggle, and wholly on screen.
inline constexpr int kToolbarRowX = 30;
inline constexpr int kToolbarRowWidth = kScreenWidth - kToolbarRowX;
inline constexpr int kCameraButton = 52;
// How far the toolbar goes down while a figure is posed.
inline constexpr int kToolbarHideDistance = 100;

} // namespace editorlayout
