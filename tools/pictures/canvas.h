// A floating-point RGB canvas the picture generator paints on before it is rounded to a Surface:
// soft glows and repeated blending stay smooth instead of banding at 8 bits.
#pragma once

#include <cstdint>
#include <vector>

#include "platform/surface.h"

namespace quarlyn {

struct Color {
  float r = 0;
  float g = 0;
  float b = 0;
};

constexpr Color operator+(Color a, Color b) { return {a.r + b.r, a.g + b.g, a.b + b.b}; }
constexpr Color operator-(Color a, Color b) { return {a.r - b.r, a.g - b.g, a.b - b.b}; }
constexpr Color operator*(Color a, float k) { return {a.r * k, a.g * k, a.b * k}; }
constexpr Color operator*(Color a, Color b) { return {a.r * b.r, a.g * b.g, a.b * b.b}; }

// 0xRRGGBB, as designers write colours.
constexpr Color hex(uint32_t value) {
  return {static_cast<float>((value >> 16) & 0xff) / 255.0f, static_cast<float>((value >> 8) & 0xff) / 255.0f,
          static_cast<float>(value & 0xff) / 255.0f};
}

float clamp01(float value);
float mixf(float a, float b, float t);
Color mix(Color a, Color b, float t);
float smoothstep(float edge0, float edge1, float x);

class Canvas {
 public:
  Canvas(int width, int height, Color fill = {});

  int width() const { return width_; }
  int height() const { return height_; }
  bool contains(int x, int y) const { return x >= 0 && y >= 0 && x < width_ && y < height_; }
  Color& at(int x, int y) { return pixels_[static_cast<size_t>(y) * width_ + x]; }
  const Color& at(int x, int y) const { return pixels_[static_cast<size_t>(y) * width_ + x]; }

  void fill(const Rect& area, Color color);
  void paste(const Canvas& source, int x, int y);

  // Replaces every pixel of `area` (clipped) by shade(x, y, old), sampled at the pixel centre.
  template <class Shade>
  void shade(const Rect& area, Shade shade_pixel) {
    Rect clip = clipped(area);
    for (int y = clip.top; y < clip.top + clip.height; ++y) {
      for (int x = clip.left; x < clip.left + clip.width; ++x) {
        at(x, y) = shade_pixel(static_cast<float>(x) + 0.5f, static_cast<float>(y) + 0.5f, at(x, y));
      }
    }
  }
  template <class Shade>
  void shade(Shade shade_pixel) {
    shade(Rect{0, 0, width_, height_}, shade_pixel);
  }

  Surface to_surface() const;

 private:
  Rect clipped(const Rect& area) const;

  int width_;
  int height_;
  std::vector<Color> pixels_;
};

}  // namespace quarlyn
