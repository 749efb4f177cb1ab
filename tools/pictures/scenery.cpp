#include "scenery.h"

#include "noise.h"

namespace quarlyn {

float hill_top(float x, int seed, float base, float amplitude, float scale) {
  return base - amplitude * fbm(x * scale, 0.5f, seed, 4);
}

float peak_top(float x, int seed, float base, float amplitude, float scale) {
  return base - amplitude * ridged_fbm(x * scale, 0.5f, seed, 5);
}

float below(float y, float top) { return clamp01(y - top + 0.5f); }

Color with_stars(Color sky, float x, float y, int seed, float fade_end) {
  float fade = 1.0f - smoothstep(fade_end * 0.4f, fade_end, y);
  if (fade <= 0.0f) return sky;
  float light = star_field(x, y, 7.0f, 0.22f, seed) + 0.6f * star_field(x, y, 3.0f, 0.05f, seed + 50);
  float tint = hash01(static_cast<int>(x / 7.0f), static_cast<int>(y / 7.0f), seed + 9);
  Color star = mix(hex(0xbcd4ff), hex(0xfff0d8), tint);
  return sky + star * (light * fade);
}

Color vignette(Color color, float x, float y, float strength) {
  float dx = (x - kScreenWidth * 0.5f) / (kScreenWidth * 0.5f);
  float dy = (y - kScreenHeight * 0.5f) / (kScreenHeight * 0.5f);
  return color * (1.0f - strength * smoothstep(0.4f, 1.6f, dx * dx + dy * dy));
}

}  // namespace quarlyn
