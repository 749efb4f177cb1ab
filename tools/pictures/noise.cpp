#include "noise.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

#include "canvas.h"

namespace quarlyn {

float hash01(int x, int y, int seed) {
  uint32_t h = static_cast<uint32_t>(x) * 0x8da6b343u ^ static_cast<uint32_t>(y) * 0xd8163841u ^
               static_cast<uint32_t>(seed) * 0xcb1ab31fu;
  h ^= h >> 15;
  h *= 0x2c1b3c6du;
  h ^= h >> 12;
  h *= 0x297a2d39u;
  h ^= h >> 15;
  return static_cast<float>(h >> 8) * (1.0f / 16777216.0f);
}

float value_noise(float x, float y, int seed) {
  float fx = std::floor(x);
  float fy = std::floor(y);
  int ix = static_cast<int>(fx);
  int iy = static_cast<int>(fy);
  float tx = x - fx;
  float ty = y - fy;
  tx = tx * tx * (3.0f - 2.0f * tx);
  ty = ty * ty * (3.0f - 2.0f * ty);
  float top = mixf(hash01(ix, iy, seed), hash01(ix + 1, iy, seed), tx);
  float bottom = mixf(hash01(ix, iy + 1, seed), hash01(ix + 1, iy + 1, seed), tx);
  return mixf(top, bottom, ty);
}

float fbm(float x, float y, int seed, int octaves) {
  float sum = 0.0f;
  float weight = 0.5f;
  float total = 0.0f;
  for (int i = 0; i < octaves; ++i) {
    sum += weight * value_noise(x, y, seed + i * 101);
    total += weight;
    // A slight rotation per octave hides the lattice.
    float nx = 1.6f * x + 1.2f * y + 17.3f;
    y = -1.2f * x + 1.6f * y + 5.1f;
    x = nx;
    weight *= 0.5f;
  }
  return sum / total;
}

float ridged_fbm(float x, float y, int seed, int octaves) {
  float sum = 0.0f;
  float weight = 0.5f;
  float total = 0.0f;
  for (int i = 0; i < octaves; ++i) {
    float n = 1.0f - std::fabs(2.0f * value_noise(x, y, seed + i * 101) - 1.0f);
    sum += weight * n * n;
    total += weight;
    float nx = 1.6f * x + 1.2f * y + 17.3f;
    y = -1.2f * x + 1.6f * y + 5.1f;
    x = nx;
    weight *= 0.5f;
  }
  return sum / total;
}

namespace {

struct FeaturePoint {
  float x;
  float y;
};

FeaturePoint feature_point(int cx, int cy, int seed) {
  return {static_cast<float>(cx) + hash01(cx, cy, seed), static_cast<float>(cy) + hash01(cx, cy, seed + 7)};
}

}  // namespace

CellSample cells(float x, float y, int seed) {
  int ix = static_cast<int>(std::floor(x));
  int iy = static_cast<int>(std::floor(y));
  CellSample sample{9.0f, 9.0f, 0.0f};
  FeaturePoint closest{};
  for (int dy = -1; dy <= 1; ++dy) {
    for (int dx = -1; dx <= 1; ++dx) {
      FeaturePoint p = feature_point(ix + dx, iy + dy, seed);
      float d = std::hypot(p.x - x, p.y - y);
      if (d < sample.nearest) {
        sample = {d, 9.0f, hash01(ix + dx, iy + dy, seed + 13)};
        closest = p;
      }
    }
  }
  // The true distance to the cell's border: to the bisector with each neighbouring point.
  for (int dy = -2; dy <= 2; ++dy) {
    for (int dx = -2; dx <= 2; ++dx) {
      FeaturePoint p = feature_point(ix + dx, iy + dy, seed);
      float ex = p.x - closest.x;
      float ey = p.y - closest.y;
      float length = std::hypot(ex, ey);
      if (length < 1e-5f) continue;
      float mx = (p.x + closest.x) * 0.5f - x;
      float my = (p.y + closest.y) * 0.5f - y;
      sample.border = std::min(sample.border, (mx * ex + my * ey) / length);
    }
  }
  return sample;
}

float star_field(float x, float y, float cell_size, float density, int seed) {
  float gx = x / cell_size;
  float gy = y / cell_size;
  int ix = static_cast<int>(std::floor(gx));
  int iy = static_cast<int>(std::floor(gy));
  float light = 0.0f;
  for (int dy = -1; dy <= 1; ++dy) {
    for (int dx = -1; dx <= 1; ++dx) {
      int cx = ix + dx;
      int cy = iy + dy;
      if (hash01(cx, cy, seed) > density) continue;
      float sx = (static_cast<float>(cx) + hash01(cx, cy, seed + 1)) * cell_size;
      float sy = (static_cast<float>(cy) + hash01(cx, cy, seed + 2)) * cell_size;
      float strength = hash01(cx, cy, seed + 3);
      float radius = 0.45f + 1.1f * strength * strength;
      float d2 = ((sx - x) * (sx - x) + (sy - y) * (sy - y)) / (radius * radius);
      light += (0.25f + 0.75f * strength) * std::exp(-d2);
    }
  }
  return light;
}

}  // namespace quarlyn
