#include <algorithm>
#include <cmath>

#include "colours.h"
#include "noise.h"
#include "pictures.h"
#include "scenery.h"
#include "shapes.h"

namespace quarlyn {

namespace {

// One curtain of the aurora: a wavy lower edge, bright rays rising from it and fading upwards.
Color aurora_curtain(float x, float y, int seed, float base, Color low, Color high) {
  float edge = base + 70.0f * fbm(x * 0.0035f, 1.5f, seed, 3) + 18.0f * std::sin(x * 0.011f + static_cast<float>(seed));
  float rise = edge - y;
  float shape = rise < 0.0f ? std::exp(rise / 10.0f) : std::exp(-rise / 85.0f);
  float rays = fbm(x * 0.05f, y * 0.004f, seed + 3, 3);
  float strength = shape * (0.25f + 1.3f * rays * rays);
  return mix(low, high, smoothstep(0.0f, 130.0f, rise)) * strength;
}

constexpr float kLakeLevel = 418.0f;

Color aurora_scene(float x, float y) {
  constexpr GradientStop kSky[] = {
      {0.0f, hex(0x02040c)}, {0.45f, hex(0x051029)}, {0.75f, hex(0x0a2244)}, {1.0f, hex(0x11345a)}};
  Color color = with_stars(gradient(kSky, y / kLakeLevel), x, y, 1, 380.0f);
  color = color + aurora_curtain(x, y, 4, 150.0f, hex(0x37ffa6), hex(0x7c4dff)) * 0.85f;
  color = color + aurora_curtain(x + 300.0f, y, 9, 215.0f, hex(0x2ef2d0), hex(0xff4fb0)) * 0.45f;
  float far = peak_top(x, 12, 395.0f, 110.0f, 0.005f);
  float near = hill_top(x, 13, kLakeLevel + 2.0f, 45.0f, 0.009f);
  float rim = std::exp(-std::max(y - far, 0.0f) / 5.0f);
  Color far_rock = mix(hex(0x0c1a30), hex(0x2a7a70), 0.55f * rim);
  far_rock =
      mix(far_rock, hex(0x9ab8d8), 0.25f * smoothstep(far + 30.0f, far + 2.0f, y) * smoothstep(320.0f, 300.0f, far));
  color = mix(color, far_rock, below(y, far));
  return mix(color, mix(hex(0x040912), hex(0x123a3a), 0.6f * std::exp(-std::max(y - near, 0.0f) / 4.0f)),
             below(y, near));
}

// Below the shore the scene is mirrored in still water, broken by faint ripples.
Color aurora_pixel(float x, float y) {
  if (y < kLakeLevel) return vignette(aurora_scene(x, y), x, y, 0.35f);
  float depth = y - kLakeLevel;
  float ripple = 2.5f * std::sin(y * 0.7f + 3.0f * fbm(x * 0.02f, y * 0.1f, 14, 3)) * smoothstep(0.0f, 40.0f, depth);
  Color mirrored = aurora_scene(x + ripple, kLakeLevel - depth * 1.6f - 2.0f);
  Color water = mirrored * 0.55f * hex(0xa0c8ff) + hex(0x020610);
  return vignette(water, x, y, 0.35f);
}

// A coloured cloud with dark dust lanes, made by warping noise with noise.
Color nebula_pixel(float x, float y) {
  float qx = fbm(x * 0.004f, y * 0.004f, 20, 4);
  float qy = fbm(x * 0.004f + 5.2f, y * 0.004f + 1.3f, 21, 4);
  float density = fbm(x * 0.005f + 3.0f * qx, y * 0.005f + 3.0f * qy, 22, 6);
  float dust = smoothstep(0.62f, 0.8f, ridged_fbm(x * 0.006f + 2.0f * qy, y * 0.006f, 23, 5));
  float glow = smoothstep(0.35f, 0.85f, density);
  constexpr GradientStop kGas[] = {{0.0f, hex(0x04030c)},
                                   {0.35f, hex(0x2a0f4e)},
                                   {0.65f, hex(0xa3307e)},
                                   {0.85f, hex(0xff8a5c)},
                                   {1.0f, hex(0xffe3b0)}};
  Color gas = gradient(kGas, glow * (0.8f + 0.4f * qx));
  gas = mix(gas, gas * hex(0x6080ff), smoothstep(0.4f, 0.7f, qy) * 0.5f);
  gas = gas * (1.0f - 0.75f * dust);
  return vignette(with_stars(gas, x, y, 2, 2000.0f), x, y, 0.45f);
}

// A tilted two-armed spiral galaxy centred at (cx, cy).
Color galaxy_light(float x, float y, float cx, float cy, float size) {
  constexpr float kTilt = -0.45f;
  float dx = x - cx;
  float dy = y - cy;
  float u = (dx * std::cos(kTilt) - dy * std::sin(kTilt)) / size;
  float v = (dx * std::sin(kTilt) + dy * std::cos(kTilt)) / size * 2.4f;
  float r = std::max(std::hypot(u, v), 1e-3f);
  float angle = std::atan2(v, u);
  float arm = std::pow(0.5f + 0.5f * std::cos(2.0f * (angle - 3.4f * std::log(r))), 3.0f);
  float clumps = 0.55f + 0.9f * fbm(u * 9.0f, v * 9.0f, 31, 4);
  float disc = std::exp(-r * 2.6f) * (0.25f + 1.4f * arm * clumps);
  float core = std::exp(-r * r * 90.0f) * 1.6f + std::exp(-r * 9.0f) * 0.5f;
  float knots = arm > 0.6f && hash01(static_cast<int>(x / 3), static_cast<int>(y / 3), 33) > 0.985f ? 0.6f : 0.0f;
  return hex(0x8fb8ff) * disc + hex(0xffe2b0) * core + hex(0xff6fa8) * (knots * std::exp(-r * 2.0f));
}

Color galaxy_pixel(float x, float y) {
  float haze = fbm(x * 0.005f, y * 0.005f, 34, 6);
  float tint = fbm(x * 0.003f + 7.0f, y * 0.003f, 35, 3);
  Color color = mix(hex(0x010106), mix(hex(0x1a0f3a), hex(0x0a2a4a), tint), smoothstep(0.35f, 0.8f, haze));
  color = with_stars(color, x, y, 3, 2000.0f);
  color = color + galaxy_light(x, y, 515.0f, 330.0f, 270.0f);
  color = color + galaxy_light(x, y, 95.0f, 410.0f, 34.0f) * 0.5f;
  return vignette(color, x, y, 0.4f);
}

void paint_bright_stars(Canvas& canvas, int seed) {
  for (int i = 0; i < 9; ++i) {
    float x = hash01(i, 0, seed) * kScreenWidth;
    float y = hash01(i, 1, seed) * kScreenHeight;
    if (x > 200.0f && x < 440.0f) continue;
    float size = 4.0f + 6.0f * hash01(i, 2, seed);
    paint_sparkle(canvas, x, y, size, mix(hex(0xbcd4ff), hex(0xffe8d0), hash01(i, 3, seed)) * 0.8f);
  }
}

}  // namespace

Canvas make_aurora_night() {
  Canvas canvas(kScreenWidth, kScreenHeight);
  canvas.shade([](float x, float y, Color) { return aurora_pixel(x, y); });
  return canvas;
}

Canvas make_nebula() {
  Canvas canvas(kScreenWidth, kScreenHeight);
  canvas.shade([](float x, float y, Color) { return nebula_pixel(x, y); });
  paint_bright_stars(canvas, 40);
  return canvas;
}

Canvas make_galaxy() {
  Canvas canvas(kScreenWidth, kScreenHeight);
  canvas.shade([](float x, float y, Color) { return galaxy_pixel(x, y); });
  paint_bright_stars(canvas, 41);
  return canvas;
}

}  // namespace quarlyn
