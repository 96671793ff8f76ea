#pragma once

// The stage and the editor screen, in points.
inline constexpr int kScreenWidth = 480;
inline constexpr int kScreenHeight = 320;
