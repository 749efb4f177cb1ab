#include "shapes.h"

#include <algorithm>
#include <cmath>

namespace quarlyn {

float segment_distance(float x, float y, float ax, float ay, float bx, float by) {
  float px = x - ax;
  float py = y - ay;
  float dx = bx - ax;
  float dy = by - ay;
  float length2 = dx * dx + dy * dy;
  float t = length2 > 0.0f ? std::clamp((px * dx + py * dy) / length2, 0.0f, 1.0f) : 0.0f;
  return std::hypot(px - dx * t, py - dy * t);
}

float box_distance(float x, float y, float cx, float cy, float half_width, float half_height, float radius) {
  float qx = std::fabs(x - cx) - half_width + radius;
  float qy = std::fabs(y - cy) - half_height + radius;
  float outside = std::hypot(std::max(qx, 0.0f), std::max(qy, 0.0f));
  return outside + std::min(std::max(qx, qy), 0.0f) - radius;
}

float star_distance(float x, float y, float cx, float cy, float radius) {
  // Folds the point into one of ten mirror-symmetric wedges, then measures to one edge.
  constexpr float kPi = 3.14159265f;
  constexpr float kInner = 0.42f;
  float px = x - cx;
  float py = cy - y;
  float angle = std::atan2(px, py);
  float wedge = 2.0f * kPi / 5.0f;
  float a = std::fmod(angle + kPi + wedge * 0.5f, wedge) - wedge * 0.5f;
  float r = std::hypot(px, py);
  float qx = std::fabs(r * std::sin(a));
  float qy = r * std::cos(a);
  float tip_y = radius;
  float valley_x = radius * kInner * std::sin(wedge * 0.5f);
  float valley_y = radius * kInner * std::cos(wedge * 0.5f);
  float d = segment_distance(qx, qy, 0.0f, tip_y, valley_x, valley_y);
  float side = (valley_x - 0.0f) * (qy - tip_y) - (valley_y - tip_y) * (qx - 0.0f);
  return side < 0.0f ? -d : d;
}

Shape rounded_box(float left, float top, float width, float height, float radius) {
  float cx = left + width * 0.5f;
  float cy = top + height * 0.5f;
  Rect bounds{static_cast<int>(std::floor(left)), static_cast<int>(std::floor(top)),
              static_cast<int>(std::ceil(width)) + 1, static_cast<int>(std::ceil(height)) + 1};
  return {bounds, [=](float x, float y) { return box_distance(x, y, cx, cy, width * 0.5f, height * 0.5f, radius); }};
}

Shape star(float cx, float cy, float radius) {
  int r = static_cast<int>(std::ceil(radius)) + 1;
  Rect bounds{static_cast<int>(cx) - r, static_cast<int>(cy) - r, 2 * r, 2 * r};
  return {bounds, [=](float x, float y) { return star_distance(x, y, cx, cy, radius); }};
}

namespace {

float coverage(float distance) { return clamp01(0.5f - distance); }

// How much the surface at a point faces the light: the outward normal is the distance gradient.
float facing_light(const Distance& distance, float x, float y) {
  float gx = distance(x + 0.5f, y) - distance(x - 0.5f, y);
  float gy = distance(x, y + 0.5f) - distance(x, y - 0.5f);
  float length = std::hypot(gx, gy);
  if (length < 1e-4f) return 0.0f;
  return (-0.6f * gx - 0.8f * gy) / length;
}

Color fill_color(const Shape& shape, const Style& style, float x, float y, float d) {
  float t = clamp01((y - static_cast<float>(shape.bounds.top)) / static_cast<float>(std::max(shape.bounds.height, 1)));
  Color color = mix(style.top, style.bottom, t);
  if (style.bevel > 0.0f && d > -style.bevel) {
    float rim = smoothstep(-style.bevel, 0.0f, d);
    float light = facing_light(shape.distance, x, y) * style.bevel_strength * rim;
    color = light > 0.0f ? mix(color, Color{1, 1, 1}, light) : color * (1.0f + light);
  }
  return color;
}

Color paint_pixel(const Shape& shape, const Style& style, float x, float y, Color under) {
  if (style.shadow > 0.0f) {
    float ds = shape.distance(x - style.shadow, y - style.shadow);
    float a = style.shadow_alpha * (1.0f - smoothstep(-style.shadow * 0.6f, style.shadow * 1.2f, ds));
    under = under * (1.0f - a);
  }
  float d = shape.distance(x, y);
  if (style.glow > 0.0f && d > -1.0f) {
    float g = 1.0f - smoothstep(0.0f, style.glow, std::max(d, 0.0f));
    under = under + style.glow_color * (g * g);
  }
  if (style.outline > 0.0f) under = mix(under, style.outline_color, coverage(d - style.outline));
  float a = coverage(d) * style.opacity;
  if (a <= 0.0f) return under;
  return mix(under, fill_color(shape, style, x, y, d), a);
}

}  // namespace

void paint_shape(Canvas& canvas, const Shape& shape, const Style& style) {
  int margin = static_cast<int>(std::ceil(std::max({style.glow, style.outline, style.shadow * 2.2f}))) + 2;
  Rect area{shape.bounds.left - margin, shape.bounds.top - margin, shape.bounds.width + 2 * margin,
            shape.bounds.height + 2 * margin};
  canvas.shade(area, [&](float x, float y, Color under) { return paint_pixel(shape, style, x, y, under); });
}

void paint_glow(Canvas& canvas, float cx, float cy, float radius, Color color) {
  int r = static_cast<int>(std::ceil(radius));
  Rect area{static_cast<int>(cx) - r, static_cast<int>(cy) - r, 2 * r + 2, 2 * r + 2};
  canvas.shade(area, [&](float x, float y, Color under) {
    float t = 1.0f - clamp01(std::hypot(x - cx, y - cy) / radius);
    return under + color * (t * t * t);
  });
}

void paint_sparkle(Canvas& canvas, float cx, float cy, float size, Color color) {
  int r = static_cast<int>(std::ceil(size));
  Rect area{static_cast<int>(cx) - r, static_cast<int>(cy) - r, 2 * r + 2, 2 * r + 2};
  canvas.shade(area, [&](float x, float y, Color under) {
    float dx = std::fabs(x - cx) / size;
    float dy = std::fabs(y - cy) / size;
    float rays = std::max(0.0f, 1.0f - dx) * std::exp(-dy * dy * size * 6.0f) +
                 std::max(0.0f, 1.0f - dy) * std::exp(-dx * dx * size * 6.0f);
    float core = std::exp(-(dx * dx + dy * dy) * 18.0f);
    return under + color * (rays * 0.8f + core);
  });
}

}  // namespace quarlyn
