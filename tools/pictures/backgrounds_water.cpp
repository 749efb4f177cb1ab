#include <algorithm>
#include <cmath>

#include "colours.h"
#include "noise.h"
#include "pictures.h"
#include "scenery.h"
#include "shapes.h"

namespace quarlyn {

namespace {

constexpr float kPi = 3.14159265f;

// Sunbeams fanning down from a point above the surface.
float sun_rays(float x, float y) {
  float angle = std::atan2(x - 330.0f, y + 220.0f);
  float beams = fbm(angle * 14.0f, 0.5f, 150, 4);
  beams = smoothstep(0.45f, 0.8f, beams);
  return beams * std::exp(-y / 230.0f);
}

float kelp(float x, float y) {
  constexpr float kRoots[] = {28.0f, 70.0f, 118.0f, 172.0f, 470.0f, 512.0f, 566.0f, 610.0f};
  float cover = 0.0f;
  for (int i = 0; i < 8; ++i) {
    float h = 150.0f + 120.0f * hash01(i, 0, 160);
    float rise = (480.0f - y) / h;
    if (rise < 0.0f || rise > 1.0f) continue;
    float sway = 16.0f * rise * std::sin(y * 0.025f + static_cast<float>(i) * 1.7f);
    float half = 4.5f * (1.0f - rise * 0.7f) + 1.5f * std::sin(y * 0.3f + static_cast<float>(i));
    cover = std::max(cover, clamp01(half - std::fabs(x - kRoots[i] - sway) + 0.5f));
  }
  return cover;
}

Color underwater_pixel(float x, float y) {
  constexpr GradientStop kWater[] = {
      {0.0f, hex(0x2aa8c4)}, {0.3f, hex(0x0d6a8f)}, {0.65f, hex(0x083c60)}, {1.0f, hex(0x031628)}};
  Color color = gradient(kWater, y / 480.0f);
  color = color + hex(0x9cf0ff) * (0.35f * sun_rays(x, y));
  float warp = 1.5f * fbm(x * 0.01f, y * 0.01f, 154, 3);
  CellSample ripple = cells(x * 0.025f + warp, y * 0.05f, 155);
  color = color + hex(0xbff8ff) * (0.18f * smoothstep(0.05f, 0.0f, ripple.border) * smoothstep(110.0f, 0.0f, y));
  float bed = hill_top(x, 165, 470.0f, 55.0f, 0.008f);
  float sand = fbm(x * 0.05f, y * 0.05f, 166, 3);
  color = mix(color, mix(hex(0x0a3a4a), hex(0x155a66), sand) * smoothstep(500.0f, bed, y), below(y, bed));
  color = mix(color, hex(0x04222a), 0.9f * kelp(x, y));
  return vignette(color, x, y, 0.45f);
}

void paint_bubbles(Canvas& canvas) {
  for (int i = 0; i < 30; ++i) {
    bool left = i % 2 == 0;
    float x = (left ? 20.0f : 450.0f) + hash01(i, 0, 170) * 170.0f;
    float y = 20.0f + hash01(i, 1, 170) * 440.0f;
    float r = 2.0f + 6.0f * hash01(i, 2, 170) * hash01(i, 3, 170);
    Shape ring{Rect{static_cast<int>(x - r) - 1, static_cast<int>(y - r) - 1, static_cast<int>(2 * r) + 3,
                    static_cast<int>(2 * r) + 3},
               [=](float px, float py) { return std::fabs(std::hypot(px - x, py - y) - r) - 0.6f; }};
    paint_shape(canvas, ring, Style{hex(0xd8fbff), hex(0x8fe0f0), 0.55f});
    paint_glow(canvas, x - r * 0.35f, y - r * 0.35f, r * 0.6f + 1.0f, hex(0xffffff) * 0.5f);
  }
}

// Large faceted ice: each cell a flat facet with its own tilt, edges catching the light.
Color ice_pixel(float x, float y) {
  constexpr GradientStop kDeep[] = {{0.0f, hex(0x0a2440)}, {0.55f, hex(0x134a72)}, {1.0f, hex(0x08223e)}};
  Color color = gradient(kDeep, y / 480.0f);
  CellSample facet = cells(x * 0.009f, y * 0.009f, 181);
  color = mix(color, mix(hex(0x1a5f8c), hex(0x7ccaea), facet.id), 0.12f + 0.16f * facet.id * (1.0f - y / 700.0f));
  color = color * (0.8f + 0.2f * smoothstep(0.0f, 0.12f, facet.border)) * (1.08f - 0.25f * facet.nearest);
  color = color + hex(0xd8f6ff) * (0.2f * smoothstep(0.02f, 0.0f, facet.border));
  CellSample shard = cells(x * 0.03f, y * 0.03f, 184);
  color = color + hex(0xd8f6ff) * (0.05f * smoothstep(0.04f, 0.0f, shard.border));
  float frost = smoothstep(0.5f, 1.4f, std::hypot((x - 320.0f) / 320.0f, (y - 240.0f) / 240.0f));
  color = mix(color, hex(0xd0eeff), 0.45f * frost * fbm(x * 0.03f, y * 0.03f, 183, 5));
  float glow = std::exp(-std::hypot(x - 560.0f, y - 90.0f) / 160.0f);
  return vignette(color + hex(0x7fe0ff) * (0.18f * glow), x, y, 0.3f);
}

// A six-armed snowflake with side branches.
float snowflake_distance(float x, float y, float cx, float cy, float size) {
  float r = std::hypot(x - cx, y - cy);
  float angle = std::atan2(y - cy, x - cx);
  float wedge = kPi / 3.0f;
  float a = std::fabs(std::fmod(angle + kPi + wedge * 0.5f, wedge) - wedge * 0.5f);
  float u = r * std::cos(a);
  float v = r * std::sin(a);
  float d = segment_distance(u, v, 0, 0, size, 0);
  for (float at : {0.45f, 0.7f}) {
    float branch = size * (0.9f - at) * 0.7f;
    d = std::min(d, segment_distance(u, v, size * at, 0, size * at + branch * 0.6f, branch));
  }
  return d - std::max(0.8f, size * 0.05f);
}

void paint_snowflakes(Canvas& canvas) {
  const float flakes[][3] = {{90, 330, 42},  {560, 290, 36}, {25, 60, 18},  {610, 440, 24},
                             {180, 440, 16}, {470, 420, 14}, {600, 30, 20}, {150, 290, 12}};
  for (const auto& f : flakes) {
    float cx = f[0];
    float cy = f[1];
    float size = f[2];
    int r = static_cast<int>(size) + 2;
    Shape flake{Rect{static_cast<int>(cx) - r, static_cast<int>(cy) - r, 2 * r, 2 * r},
                [=](float x, float y) { return snowflake_distance(x, y, cx, cy, size); }};
    Style style{hex(0xffffff), hex(0xcdefff), 0.85f};
    style.glow = size * 0.25f;
    style.glow_color = hex(0x9fe4ff) * 0.3f;
    paint_shape(canvas, flake, style);
  }
}

}  // namespace

Canvas make_underwater() {
  Canvas canvas(kScreenWidth, kScreenHeight);
  canvas.shade([](float x, float y, Color) { return underwater_pixel(x, y); });
  paint_bubbles(canvas);
  return canvas;
}

Canvas make_ice_crystals() {
  Canvas canvas(kScreenWidth, kScreenHeight);
  canvas.shade([](float x, float y, Color) { return ice_pixel(x, y); });
  paint_snowflakes(canvas);
  for (int i = 0; i < 14; ++i) {
    paint_sparkle(canvas, hash01(i, 0, 190) * kScreenWidth, hash01(i, 1, 190) * kScreenHeight,
                  3.0f + 5.0f * hash01(i, 2, 190), hex(0xe8fbff) * 0.8f);
  }
  return canvas;
}

}  // namespace quarlyn
