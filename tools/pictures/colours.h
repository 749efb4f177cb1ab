// Perceptual colour helpers, so that palettes built by even steps of hue look evenly spaced.
#pragma once

#include "canvas.h"

namespace quarlyn {

// OKLCH lightness (0..1), chroma (0..~0.3) and hue (degrees) to display RGB; chroma is reduced
// as far as needed to stay inside the displayable range.
Color oklch(float lightness, float chroma, float hue_degrees);

// A multi-stop gradient: `positions` ascending in [0, 1], one colour each.
struct GradientStop {
  float position;
  Color color;
};
template <size_t N>
Color gradient(const GradientStop (&stops)[N], float t) {
  if (t <= stops[0].position) return stops[0].color;
  for (size_t i = 1; i < N; ++i) {
    if (t <= stops[i].position) {
      float span = stops[i].position - stops[i - 1].position;
      return mix(stops[i - 1].color, stops[i].color, (t - stops[i - 1].position) / span);
    }
  }
  return stops[N - 1].color;
}

}  // namespace quarlyn
