// Anti-aliased shapes from signed distance functions (negative inside, in pixels): one painter
// gives every shape its fill gradient, outline, bevel, glow and drop shadow.
#pragma once

#include <functional>

#include "canvas.h"

namespace quarlyn {

using Distance = std::function<float(float x, float y)>;

struct Shape {
  Rect bounds;  // encloses every point with distance <= 0
  Distance distance;
};

float segment_distance(float x, float y, float ax, float ay, float bx, float by);
// Distance to a box of half size (half_width, half_height) centred on (cx, cy), corners rounded.
float box_distance(float x, float y, float cx, float cy, float half_width, float half_height, float radius);
// A five-pointed star of outer radius `radius`, one point up.
float star_distance(float x, float y, float cx, float cy, float radius);

Shape rounded_box(float left, float top, float width, float height, float radius);
Shape star(float cx, float cy, float radius);

struct Style {
  Color top{1, 1, 1};  // fill gradient from the top of the bounds to the bottom
  Color bottom{1, 1, 1};
  float opacity = 1;
  float outline = 0;  // width of an outline around the shape
  Color outline_color{};
  float glow = 0;  // radius of an additive halo
  Color glow_color{};
  float shadow = 0;  // offset of a soft drop shadow, down and right
  float shadow_alpha = 0.5f;
  float bevel = 0;  // width of the lit rim inside the edge (light from the top left)
  float bevel_strength = 0.45f;
};

void paint_shape(Canvas& canvas, const Shape& shape, const Style& style);

// An additive radial glow that falls smoothly to nothing at `radius`.
void paint_glow(Canvas& canvas, float cx, float cy, float radius, Color color);
// A four-pointed twinkle: thin crossed rays over a small glow.
void paint_sparkle(Canvas& canvas, float cx, float cy, float size, Color color);

}  // namespace quarlyn
