// Helpers shared by the backgrounds (640x480 landscapes and skies).
#pragma once

#include "canvas.h"

namespace quarlyn {

inline constexpr int kScreenWidth = 640;
inline constexpr int kScreenHeight = 480;

// Height of a hill line at x: `base` minus up to `amplitude` of smooth noise of scale `scale`.
float hill_top(float x, int seed, float base, float amplitude, float scale);
// The same with sharp, ridged peaks.
float peak_top(float x, int seed, float base, float amplitude, float scale);
// Anti-aliased coverage of "below the line `top`" at height y.
float below(float y, float top);
// Adds a star field, fading out towards `fade_end` down the picture.
Color with_stars(Color sky, float x, float y, int seed, float fade_end);
// Darkens towards the corners, as a lens does.
Color vignette(Color color, float x, float y, float strength);

}  // namespace quarlyn
