#include "colours.h"

#include <cmath>

namespace quarlyn {

namespace {

float to_display(float linear) {
  return linear <= 0.0031308f ? 12.92f * linear : 1.055f * std::pow(linear, 1.0f / 2.4f) - 0.055f;
}

bool oklab_to_display(float lightness, float a, float b, Color& out) {
  float l = lightness + 0.3963377774f * a + 0.2158037573f * b;
  float m = lightness - 0.1055613458f * a - 0.0638541728f * b;
  float s = lightness - 0.0894841775f * a - 1.2914855480f * b;
  l = l * l * l;
  m = m * m * m;
  s = s * s * s;
  float red = 4.0767416621f * l - 3.3077115913f * m + 0.2309699292f * s;
  float green = -1.2684380046f * l + 2.6097574011f * m - 0.3413193965f * s;
  float blue = -0.0041960863f * l - 0.7034186147f * m + 1.7076147010f * s;
  constexpr float kSlack = 0.002f;
  bool inside = red >= -kSlack && green >= -kSlack && blue >= -kSlack && red <= 1 + kSlack && green <= 1 + kSlack &&
                blue <= 1 + kSlack;
  out = {to_display(clamp01(red)), to_display(clamp01(green)), to_display(clamp01(blue))};
  return inside;
}

}  // namespace

Color oklch(float lightness, float chroma, float hue_degrees) {
  float hue = hue_degrees * 3.14159265f / 180.0f;
  Color out;
  for (int step = 0; step < 40; ++step) {
    if (oklab_to_display(lightness, chroma * std::cos(hue), chroma * std::sin(hue), out)) break;
    chroma *= 0.95f;
  }
  return out;
}

}  // namespace quarlyn
