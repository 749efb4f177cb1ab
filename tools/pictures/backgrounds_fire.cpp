#include <algorithm>
#include <cmath>

#include "colours.h"
#include "noise.h"
#include "pictures.h"
#include "scenery.h"
#include "shapes.h"

namespace quarlyn {

namespace {

constexpr float kHorizon = 300.0f;
constexpr float kSunX = 548.0f;
constexpr float kSunY = 245.0f;
constexpr float kSunRadius = 64.0f;

Color neon_sky(float x, float y) {
  constexpr GradientStop kSky[] = {
      {0.0f, hex(0x06011a)}, {0.45f, hex(0x1c0840)}, {0.8f, hex(0x4c0d66)}, {1.0f, hex(0xc0206e)}};
  Color sky = with_stars(gradient(kSky, y / kHorizon), x, y, 6, 220.0f);
  float d = std::hypot(x - kSunX, y - kSunY);
  sky = sky + hex(0xff3d8a) * (0.45f * std::exp(-std::max(d - kSunRadius, 0.0f) / 40.0f));
  // The sun: a yellow-to-magenta disc cut by bands that thicken towards the horizon.
  float band = (y - (kSunY - 10.0f)) / (kSunRadius + 10.0f);
  bool gap = band > 0.0f && std::fmod(y - kSunY + 200.0f, 12.0f) < 2.0f + 6.0f * band;
  float disc = gap ? 0.0f : clamp01(kSunRadius + 0.5f - d);
  Color sun = mix(hex(0xffe45c), hex(0xff2a8a), clamp01((y - kSunY + kSunRadius) / (2.0f * kSunRadius)));
  sky = mix(sky, sun, disc);
  float ridge = hill_top(x, 200, kHorizon + 2.0f, 60.0f, 0.012f) + std::fabs(x - 560.0f) * 0.1f;
  Color hills = mix(hex(0x12052a), hex(0xff3df0), 0.8f * std::exp(-std::max(y - ridge, 0.0f) / 1.5f));
  return mix(sky, hills, below(y, ridge) * smoothstep(300.0f, 420.0f, std::fabs(x - 320.0f) + 200.0f));
}

// A perspective grid on the floor: lines one world unit apart, anti-aliased by their on-screen
// width; where they crowd together near the horizon they merge into an even haze.
Color neon_floor(float x, float y) {
  float depth = y - kHorizon;
  float z = 1800.0f / depth;
  float dz = 1800.0f / (depth * depth);
  float across_z = std::fabs(z - std::round(z)) / dz;
  float wx = (x - 320.0f) / depth * 2.2f;
  float across_x = std::fabs(wx - std::round(wx)) / (2.2f / depth);
  float rows = clamp01(1.2f - across_z) * smoothstep(2.0f, 8.0f, 1.0f / dz);
  float columns = clamp01(1.2f - across_x) * smoothstep(2.0f, 8.0f, depth / 2.2f);
  float line = std::max(rows, columns) + 0.2f * smoothstep(8.0f, 2.0f, depth / 2.2f);
  float glow =
      std::max(std::exp(-across_z * 0.35f), std::exp(-across_x * 0.35f)) * 0.35f * smoothstep(5.0f, 70.0f, depth);
  Color tone = mix(hex(0xff3df0), hex(0x3de8ff), smoothstep(0.0f, 160.0f, depth));
  Color floor = mix(hex(0x16032e), hex(0x06010f), smoothstep(0.0f, 180.0f, depth));
  floor = floor + hex(0xff2a8a) * (0.45f * std::exp(-depth / 10.0f));
  return floor + tone * (line + glow) * (0.3f + 0.7f * smoothstep(0.0f, 40.0f, depth));
}

// The grid's thin, crowded lines alias at one sample a pixel, so the floor takes eight.
Color neon_floor_smooth(float x, float y) {
  Color sum;
  for (int sy = 0; sy < 4; ++sy) {
    for (int sx = 0; sx < 2; ++sx) {
      sum = sum + neon_floor(x - 0.25f + 0.5f * static_cast<float>(sx), y - 0.375f + 0.25f * static_cast<float>(sy));
    }
  }
  return sum * 0.125f;
}

Color neon_pixel(float x, float y) {
  Color color = y < kHorizon ? neon_sky(x, y) : neon_floor_smooth(x, y);
  return vignette(color, x, y, 0.45f);
}

constexpr float kCraterX = 520.0f;
constexpr float kCraterY = 292.0f;

Color volcano_sky(float x, float y) {
  constexpr GradientStop kSky[] = {{0.0f, hex(0x080304)}, {0.45f, hex(0x240a0a)}, {1.0f, hex(0x8a2a10)}};
  Color sky = gradient(kSky, y / 340.0f);
  // Low clouds lit red from below, and ash rising from the crater, drifting left.
  float cloud = smoothstep(0.45f, 0.75f, fbm(x * 0.004f, y * 0.012f, 209, 5));
  sky = mix(sky, mix(hex(0x14080a), hex(0x9a3418), smoothstep(80.0f, 330.0f, y)), cloud * 0.7f);
  float rise = clamp01((kCraterY - y) / kCraterY);
  float centre = kCraterX - 170.0f * rise * rise;
  float plume = smoothstep(40.0f + 160.0f * rise, 0.0f, std::fabs(x - centre));
  float ash = fbm(x * 0.012f, y * 0.012f + 3.0f, 210, 5);
  Color smoke = mix(hex(0x1a0e0e), hex(0xc0481a), (1.0f - rise) * ash);
  sky = mix(sky, smoke, plume * smoothstep(0.3f, 0.7f, ash));
  return sky + hex(0xff5a1a) * (0.5f * std::exp(-std::hypot(x - kCraterX, (y - kCraterY) * 1.5f) / 60.0f));
}

// Glowing rivers running from the crater down the slopes, cooling as they go.
float lava_streams(float x, float y) {
  constexpr float kSlopes[] = {-0.9f, -0.25f, 0.5f, 1.1f};
  float fall = y - kCraterY;
  float heat = 0.0f;
  for (int k = 0; k < 4; ++k) {
    float path = kCraterX + kSlopes[k] * fall + 50.0f * (fbm(y * 0.02f, 0.5f, 226 + k, 3) - 0.5f);
    float width = 1.2f + fall * 0.025f;
    float dx = (x - path) / width;
    heat = std::max(heat, std::exp(-dx * dx) + 0.25f * std::exp(-std::fabs(x - path) / 10.0f));
  }
  return heat * smoothstep(470.0f, kCraterY + 10.0f, y);
}

// The cone: dark rock lit by its lava and by the fire in the crater.
Color volcano_cone(float x, float y, float top) {
  float lava = lava_streams(x, y);
  Color rock = mix(hex(0x140807), hex(0x2a0f0a), fbm(x * 0.05f, y * 0.05f, 225, 3));
  rock = rock + hex(0xff6a18) * lava + hex(0xffd080) * (0.5f * smoothstep(0.7f, 1.0f, lava));
  float crest = std::exp(-std::max(y - top, 0.0f) / 5.0f) * smoothstep(70.0f, 0.0f, std::fabs(x - kCraterX));
  return rock + hex(0xff5a10) * (0.7f * crest);
}

Color volcano_pixel(float x, float y) {
  Color color = volcano_sky(x, y);
  float far = peak_top(x, 220, 385.0f, 90.0f, 0.005f);
  Color far_rock = mix(hex(0x1a0908), hex(0x6a2410), 0.6f * std::exp(-std::max(y - far, 0.0f) / 6.0f));
  color = mix(color, far_rock, below(y, far));
  float cone = kCraterY + std::max(std::fabs(x - kCraterX) - 28.0f, -4.0f) * 0.6f + 12.0f * fbm(x * 0.03f, 0, 221, 3);
  color = mix(color, volcano_cone(x, y, cone), below(y, cone));
  float ground = hill_top(x, 223, 455.0f, 40.0f, 0.01f);
  CellSample cracks = cells(x * 0.03f, y * 0.045f, 224);
  float hot = smoothstep(0.05f, 0.0f, cracks.border) * smoothstep(ground, ground + 40.0f, y);
  Color floor = mix(hex(0x0e0606), hex(0xffa040), hot) + hex(0xff3a0a) * (0.5f * hot);
  color = mix(color, floor, below(y, ground));
  return vignette(color, x, y, 0.4f);
}

void paint_embers(Canvas& canvas) {
  for (int i = 0; i < 40; ++i) {
    float x = 300.0f + hash01(i, 0, 230) * 340.0f - 260.0f * hash01(i, 3, 230);
    float y = 60.0f + hash01(i, 1, 230) * 380.0f;
    if (x > 205.0f && x < 435.0f) continue;
    float size = 1.0f + 2.5f * hash01(i, 2, 230);
    paint_glow(canvas, x, y, size * 2.5f, hex(0xffa040) * 0.9f);
  }
}

}  // namespace

Canvas make_neon_horizon() {
  Canvas canvas(kScreenWidth, kScreenHeight);
  canvas.shade([](float x, float y, Color) { return neon_pixel(x, y); });
  return canvas;
}

Canvas make_volcano() {
  Canvas canvas(kScreenWidth, kScreenHeight);
  canvas.shade([](float x, float y, Color) { return volcano_pixel(x, y); });
  paint_embers(canvas);
  return canvas;
}

}  // namespace quarlyn
