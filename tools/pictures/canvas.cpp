#include "canvas.h"

#include <algorithm>
#include <cmath>

#include "noise.h"

namespace quarlyn {

float clamp01(float value) { return std::clamp(value, 0.0f, 1.0f); }

float mixf(float a, float b, float t) { return a + (b - a) * t; }

Color mix(Color a, Color b, float t) { return a + (b - a) * t; }

float smoothstep(float edge0, float edge1, float x) {
  float t = clamp01((x - edge0) / (edge1 - edge0));
  return t * t * (3.0f - 2.0f * t);
}

Canvas::Canvas(int width, int height, Color fill)
    : width_(width), height_(height), pixels_(static_cast<size_t>(width) * height, fill) {}

void Canvas::fill(const Rect& area, Color color) {
  shade(area, [color](float, float, Color) { return color; });
}

void Canvas::paste(const Canvas& source, int x, int y) {
  for (int sy = 0; sy < source.height(); ++sy) {
    for (int sx = 0; sx < source.width(); ++sx) {
      if (contains(x + sx, y + sy)) at(x + sx, y + sy) = source.at(sx, sy);
    }
  }
}

Rect Canvas::clipped(const Rect& area) const {
  int left = std::max(area.left, 0);
  int top = std::max(area.top, 0);
  int right = std::min(area.left + area.width, width_);
  int bottom = std::min(area.top + area.height, height_);
  return {left, top, std::max(right - left, 0), std::max(bottom - top, 0)};
}

namespace {

// Dithering below half a step breaks up banding in soft gradients while colours that sit exactly
// on a step (flat fields) stay exact; the 20x20 tile keeps 20-pixel-periodic art periodic.
float dither(int x, int y) { return (hash01(x % 20, y % 20, 99) - 0.5f) * 0.98f; }

uint8_t to_byte(float channel, float offset) {
  return static_cast<uint8_t>(std::lround(std::clamp(clamp01(channel) * 255.0f + offset, 0.0f, 255.0f)));
}

}  // namespace

Surface Canvas::to_surface() const {
  Surface surface(width_, height_);
  for (int y = 0; y < height_; ++y) {
    Pixel* out = surface.row(y);
    for (int x = 0; x < width_; ++x) {
      const Color& c = at(x, y);
      float offset = dither(x, y);
      out[x] = rgb(to_byte(c.r, offset), to_byte(c.g, offset), to_byte(c.b, offset));
    }
  }
  return surface;
}

}  // namespace quarlyn
