#include "blocks.h"

#include <algorithm>
#include <cmath>

#include "colours.h"
#include "noise.h"
#include "shapes.h"

namespace quarlyn {

namespace {

struct Bevel {
  float radius = 3.0f;  // corner rounding
  float width = 2.6f;   // width of the lit rim
  float gloss = 0.42f;  // strength of the glass highlight on the upper face
};

// One sample of a bevelled block whose flat face has colour `face` at (x, y).
Color block_sample(float x, float y, Color face, const Bevel& bevel) {
  constexpr float kHalf = 9.7f;
  float d = box_distance(x, y, 10.0f, 10.0f, kHalf, kHalf, bevel.radius);
  if (d > 0.0f) return face * 0.08f;
  float depth = -d;
  Color color = face * mixf(1.15f, 0.72f, y / kCell);
  if (depth < bevel.width) {
    float gx = box_distance(x + 0.1f, y, 10, 10, kHalf, kHalf, bevel.radius) - d;
    float gy = box_distance(x, y + 0.1f, 10, 10, kHalf, kHalf, bevel.radius) - d;
    float light = (-0.6f * gx - 0.8f * gy) / std::max(std::hypot(gx, gy), 1e-5f);
    color = light > 0 ? mix(face * 1.1f, Color{1, 1, 1}, 0.6f * light) : face * (1.0f + 0.62f * light);
  }
  if (depth < 0.8f) color = color * 0.5f;
  if (bevel.gloss > 0.0f && depth > bevel.width) {
    // A glassy reflection over the upper face with a crisp lower edge.
    float ex = (x - 10.0f) / 7.0f;
    float ey = (y - 3.0f) / 5.6f;
    float shine = (1.0f - smoothstep(0.9f, 1.0f, std::hypot(ex, ey))) * mixf(1.0f, 0.35f, clamp01((y - 3.0f) / 6.0f));
    color = mix(color, Color{1, 1, 1}, bevel.gloss * shine);
  }
  float spot = std::exp(-((x - 5.2f) * (x - 5.2f) + (y - 5.0f) * (y - 5.0f)) * 1.2f);
  return color + Color{1, 1, 1} * (bevel.gloss * 1.2f * spot);
}

// Averages 4x4 samples per pixel for smooth rounded corners and rims.
template <class Sample>
Canvas render_cell(Sample sample) {
  Canvas cell(kCell, kCell);
  cell.shade([&](float px, float py, Color) {
    Color sum;
    for (int sy = 0; sy < 4; ++sy) {
      for (int sx = 0; sx < 4; ++sx) {
        sum = sum + sample(px - 0.5f + (static_cast<float>(sx) + 0.5f) / 4.0f,
                           py - 0.5f + (static_cast<float>(sy) + 0.5f) / 4.0f);
      }
    }
    return sum * (1.0f / 16.0f);
  });
  return cell;
}

struct PaletteMood {
  float lightness;
  float chroma;
  float first_hue;
  Color tint;  // graded towards the level's background
};

constexpr PaletteMood kMoods[10] = {
    {0.68f, 0.20f, 25, hex(0x40ffb0)},  {0.71f, 0.17f, 45, hex(0xff9a50)}, {0.67f, 0.15f, 200, hex(0x40c8ff)},
    {0.63f, 0.21f, 330, hex(0xd060ff)}, {0.75f, 0.13f, 10, hex(0xffb0a0)}, {0.70f, 0.26f, 0, hex(0xff40c0)},
    {0.65f, 0.14f, 60, hex(0x80e0a0)},  {0.65f, 0.19f, 20, hex(0xff6020)}, {0.78f, 0.11f, 210, hex(0xb0e8ff)},
    {0.66f, 0.18f, 280, hex(0xa0a0ff)},
};

}  // namespace

Color palette_color(int level, int index) {
  const PaletteMood& mood = kMoods[(level - 1) % 10];
  // Alternating lightness keeps neighbouring hues apart even where the eye is least sensitive.
  float hue = std::fmod(mood.first_hue + 36.0f * static_cast<float>(index), 360.0f);
  float lightness = mood.lightness + (index % 2 == 0 ? 0.06f : -0.06f);
  // Yellows turn olive when dark, so they are lifted.
  float yellow = (hue - 95.0f) / 45.0f;
  lightness += 0.12f * std::exp(-yellow * yellow);
  Color base = oklch(std::min(lightness, 0.9f), mood.chroma, hue);
  return mix(base, mood.tint, 0.1f);
}

Canvas glossy_block(Color base) {
  return render_cell([&](float x, float y) { return block_sample(x, y, base, Bevel{}); });
}

Canvas steel_block() {
  Bevel bevel{2.5f, 2.4f, 0.22f};
  return render_cell([&](float x, float y) {
    float sheen = 0.5f + 0.5f * std::sin((x + y) * 0.22f);
    return block_sample(x, y, mix(hex(0x59616f), hex(0x8c95a4), sheen), bevel);
  });
}

Canvas stone_block() {
  Bevel bevel{2.0f, 3.2f, 0.0f};
  return render_cell([&](float x, float y) {
    float grain = fbm(x * 0.35f, y * 0.35f, 11, 4);
    float crack = smoothstep(0.93f, 0.99f, ridged_fbm(x * 0.12f + 3.0f, y * 0.12f, 5, 3));
    float speck = hash01(static_cast<int>(x * 2), static_cast<int>(y * 2), 3) > 0.93f ? 0.75f : 1.0f;
    Color face = mix(hex(0x5b524a), hex(0x9a8f80), grain) * speck * (1.0f - 0.55f * crack);
    return block_sample(x, y, face, bevel);
  });
}

Canvas metal_block() {
  Bevel bevel{1.5f, 2.0f, 0.12f};
  return render_cell([&](float x, float y) {
    float brushed = value_noise(x * 0.15f, (x + y) * 2.5f, 21);
    Color face = mix(hex(0x3f5a6e), hex(0x6f8fa6), 0.35f + 0.4f * brushed);
    for (float cx : {4.5f, 15.5f}) {
      for (float cy : {4.5f, 15.5f}) {
        float d = std::hypot(x - cx, y - cy);
        if (d < 1.7f) face = mix(hex(0xdfe9f2), hex(0x26323d), clamp01((x - cx + y - cy) * 0.35f + 0.5f));
      }
    }
    return block_sample(x, y, face, bevel);
  });
}

Canvas crate_block() {
  Bevel bevel{1.2f, 1.6f, 0.0f};
  return render_cell([&](float x, float y) {
    float grain = fbm(x * 0.9f, y * 0.12f, 31, 3);
    Color wood = mix(hex(0x7a4a22), hex(0xc08a4e), grain);
    bool frame = x < 3.6f || x > 16.4f || y < 3.6f || y > 16.4f;
    float brace = std::fabs((x - 10.0f) + (y - 10.0f)) / 1.4142f;
    Color face = frame ? wood * 0.82f : (brace < 2.2f ? wood * 1.05f : wood * 0.68f);
    float seam = std::min({std::fabs(x - 3.6f), std::fabs(x - 16.4f), std::fabs(y - 3.6f), std::fabs(y - 16.4f)});
    if (!frame && brace >= 2.2f && brace < 2.8f) face = face * 0.5f;
    if (seam < 0.5f && x > 3 && x < 17 && y > 3 && y < 17) face = face * 0.45f;
    return block_sample(x, y, face, bevel);
  });
}

}  // namespace quarlyn
