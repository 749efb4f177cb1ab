#include <algorithm>
#include <cmath>

#include "colours.h"
#include "noise.h"
#include "pictures.h"
#include "scenery.h"
#include "shapes.h"

namespace quarlyn {

namespace {

constexpr float kSunX = 545.0f;

Color dunes_sky(float x, float y) {
  constexpr GradientStop kSky[] = {{0.0f, hex(0x190f33)},
                                   {0.3f, hex(0x4a1e5c)},
                                   {0.6f, hex(0xb3416a)},
                                   {0.82f, hex(0xf27a4e)},
                                   {1.0f, hex(0xffc878)}};
  Color sky = with_stars(gradient(kSky, y / 330.0f), x, y, 5, 140.0f);
  float d = std::hypot(x - kSunX, y - 292.0f);
  sky = sky + hex(0xffb060) * (0.55f * std::exp(-d / 90.0f));
  float disc = clamp01(38.5f - d);
  return mix(sky, mix(hex(0xfff6d8), hex(0xffc060), (y - 254.0f) / 76.0f), disc);
}

// Dunes have sharp crests and smooth hollows: an inverted |sine| with a wandering phase.
float dune_top(float x, int layer) {
  constexpr float kBases[] = {350.0f, 392.0f, 438.0f, 492.0f};
  constexpr float kHeights[] = {40.0f, 55.0f, 70.0f, 85.0f};
  float f = static_cast<float>(layer);
  float u = x * (0.006f + 0.0015f * f) + 2.5f * fbm(x * 0.003f, f, 60 + layer, 2) + f;
  return kBases[layer] - kHeights[layer] * (0.3f + 0.7f * (1.0f - std::fabs(std::sin(u))));
}

// One dune layer: the faces towards the sun are lit near the crest, with fine wind ripples.
Color dune_colour(float x, float y, float top, int layer) {
  constexpr Color kLit[] = {hex(0xe8a070), hex(0xd27a55), hex(0xa24c4c), hex(0x5a2440)};
  constexpr Color kShade[] = {hex(0xa6606a), hex(0x86404e), hex(0x5a2642), hex(0x250e27)};
  float slope = dune_top(x + 0.5f, layer) - dune_top(x - 0.5f, layer);
  float depth = std::max(y - top, 0.0f);
  float lit = smoothstep(-0.05f, 0.05f, slope * (x < kSunX ? 1.0f : -1.0f));
  lit = mixf(0.3f, lit, std::exp(-depth / 70.0f));
  Color color = mix(kShade[layer], kLit[layer], lit);
  float ripple = std::sin(y * 0.9f + x * 0.08f + 6.0f * fbm(x * 0.02f, y * 0.05f, 70 + layer, 3));
  color = color * (1.0f + 0.04f * ripple * smoothstep(0.0f, 40.0f, depth));
  return color + hex(0xffd0a0) * (0.3f * std::exp(-depth / 2.5f) * lit);
}

Color dunes_pixel(float x, float y) {
  Color color = dunes_sky(x, y);
  for (int layer = 0; layer < 4; ++layer) {
    float top = dune_top(x, layer);
    float haze = 0.35f * (3.0f - static_cast<float>(layer)) / 3.0f;
    color = mix(color, mix(dune_colour(x, y, top, layer), hex(0xf08a60), haze), below(y, top));
  }
  return vignette(color, x, y, 0.4f);
}

Color dawn_sky(float x, float y) {
  constexpr GradientStop kSky[] = {{0.0f, hex(0x18224a)},
                                   {0.35f, hex(0x4e4380)},
                                   {0.62f, hex(0xc46c8e)},
                                   {0.82f, hex(0xf5a47e)},
                                   {1.0f, hex(0xffe0a8)}};
  Color sky = gradient(kSky, y / 340.0f);
  float d = std::hypot((x - 470.0f) * 0.6f, y - 335.0f);
  sky = sky + hex(0xffc890) * (0.5f * std::exp(-d / 70.0f));
  float cloud = smoothstep(0.55f, 0.75f, fbm(x * 0.004f, y * 0.02f, 80, 5)) * smoothstep(60.0f, 160.0f, y) *
                smoothstep(300.0f, 200.0f, y);
  return mix(sky, mix(hex(0xffb4a0), hex(0x7e5a8c), y / 300.0f), cloud * 0.6f);
}

Color dawn_pixel(float x, float y) {
  Color color = dawn_sky(x, y);
  constexpr Color kRock[] = {hex(0xb58aa9), hex(0x8a6a98), hex(0x5e4a7e), hex(0x3a3060), hex(0x1d1a3a)};
  for (int layer = 0; layer < 5; ++layer) {
    float f = static_cast<float>(layer);
    float top = peak_top(x, 90 + layer, 300.0f + 38.0f * f, 120.0f - 12.0f * f, 0.0045f + 0.0015f * f);
    Color rock = kRock[layer];
    float snow =
        layer < 2 ? smoothstep(top + 25.0f, top + 2.0f, y) * smoothstep(0.55f, 0.7f, fbm(x * 0.05f, y * 0.05f, 95, 3))
                  : 0.0f;
    rock = mix(rock, hex(0xf6d6e0), snow * 0.6f);
    float base = 300.0f + 38.0f * f;
    rock = mix(rock, hex(0xf4b6a8),
               0.4f * smoothstep(base - 40.0f, base + 40.0f, y) * fbm(x * 0.008f, y * 0.03f, 96 + layer, 3));
    color = mix(color, rock, below(y, top));
  }
  return vignette(color, x, y, 0.35f);
}

// The height of a row of pines at x: tiered cones on a lattice with random size and jitter.
float pine_top(float x, int seed, float spacing, float ground, float height) {
  float best = ground;
  int first = static_cast<int>(std::floor(x / spacing)) - 2;
  for (int k = first; k <= first + 4; ++k) {
    float centre = (static_cast<float>(k) + 0.2f + 0.6f * hash01(k, 0, seed)) * spacing;
    float h = height * (0.6f + 0.6f * hash01(k, 1, seed));
    float reach = std::fabs(x - centre) / (spacing * 0.55f);
    float tiers = 0.12f * std::fabs(std::sin(reach * 9.0f));
    best = std::min(best, ground - h * std::max(0.0f, 1.0f - reach - tiers));
  }
  return best;
}

// Shafts of morning light falling through the mist from the upper right.
float light_shafts(float x, float y) {
  float angle = std::atan2(x - 700.0f, y + 120.0f);
  float beams = smoothstep(0.45f, 0.75f, fbm(angle * 18.0f, 0.5f, 105, 3));
  return beams * std::exp(-std::hypot(x - 700.0f, y + 120.0f) / 420.0f);
}

Color forest_pixel(float x, float y) {
  constexpr GradientStop kSky[] = {
      {0.0f, hex(0x10282f)}, {0.45f, hex(0x3c6a66)}, {0.8f, hex(0x9cbca6)}, {1.0f, hex(0xe0e4b8)}};
  Color color = gradient(kSky, y / 340.0f);
  color = color + hex(0xfff0c0) * (0.35f * std::exp(-std::hypot(x - 640.0f, y + 20.0f) / 160.0f));
  constexpr Color kTrees[] = {hex(0x7aa396), hex(0x52806f), hex(0x2f5a50), hex(0x173630), hex(0x07171a)};
  for (int layer = 0; layer < 5; ++layer) {
    float f = static_cast<float>(layer);
    float ground = hill_top(x, 110 + layer, 330.0f + 40.0f * f, 30.0f, 0.006f);
    float top = pine_top(x, 120 + layer, 14.0f + 7.0f * f, ground, 55.0f + 22.0f * f);
    color = mix(color, kTrees[layer], below(y, top));
    float mist = fbm(x * 0.01f, y * 0.03f, 130 + layer, 4);
    color = mix(color, hex(0xbcd6c8), 0.4f * mist * smoothstep(ground - 50.0f, ground + 10.0f, y) * (1.0f - f / 5.0f));
  }
  color = color + hex(0xfff4c8) * (0.22f * light_shafts(x, y));
  return vignette(color, x, y, 0.45f);
}

void paint_fireflies(Canvas& canvas) {
  for (int i = 0; i < 24; ++i) {
    float x = hash01(i, 0, 140) * kScreenWidth;
    if (x > 205.0f && x < 435.0f) continue;
    float y = 330.0f + hash01(i, 1, 140) * 140.0f;
    paint_glow(canvas, x, y, 5.0f + 5.0f * hash01(i, 2, 140), hex(0xe8ff90) * 0.55f);
  }
}

}  // namespace

Canvas make_sunset_dunes() {
  Canvas canvas(kScreenWidth, kScreenHeight);
  canvas.shade([](float x, float y, Color) { return dunes_pixel(x, y); });
  return canvas;
}

Canvas make_dawn_mountains() {
  Canvas canvas(kScreenWidth, kScreenHeight);
  canvas.shade([](float x, float y, Color) { return dawn_pixel(x, y); });
  return canvas;
}

Canvas make_misty_forest() {
  Canvas canvas(kScreenWidth, kScreenHeight);
  canvas.shade([](float x, float y, Color) { return forest_pixel(x, y); });
  paint_fireflies(canvas);
  return canvas;
}

}  // namespace quarlyn
