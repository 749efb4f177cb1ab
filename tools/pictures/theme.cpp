#include "theme.h"

#include <algorithm>
#include <cmath>

#include "colours.h"
#include "font.h"
#include "noise.h"
#include "shapes.h"

namespace quarlyn {

namespace {

// The rim, from the outermost pixel inwards.
constexpr Color kRimLight[] = {hex(0x02040a), hex(0x7f93c4), hex(0x3c4a74), hex(0x1a2242)};
constexpr Color kRimDark[] = {hex(0x02040a), hex(0x2a3558), hex(0x1a2240), hex(0x111830)};

Color panel_body(float x, float y, float width, float height) {
  constexpr GradientStop kBody[] = {{0.0f, hex(0x1d2748)}, {0.5f, hex(0x131b36)}, {1.0f, hex(0x0c1229)}};
  Color color = gradient(kBody, y / height);
  // A faint diagonal reflection across the upper left, as on a glass pane.
  float band = (x + y * 1.4f) / (width + height * 1.4f);
  color = color + Color{0.05f, 0.07f, 0.10f} * (smoothstep(0.42f, 0.30f, band) * 0.7f);
  return color * (0.97f + 0.06f * fbm(x * 0.08f, y * 0.08f, 41, 3));
}

}  // namespace

void paint_panel(Canvas& canvas) {
  float width = static_cast<float>(canvas.width());
  float height = static_cast<float>(canvas.height());
  canvas.shade([&](float x, float y, Color) {
    int ix = static_cast<int>(x);
    int iy = static_cast<int>(y);
    int from_light = std::min(ix, iy);
    int from_dark = std::min(canvas.width() - 1 - ix, canvas.height() - 1 - iy);
    int edge = std::min(from_light, from_dark);
    if (edge < 4) return from_light <= from_dark ? kRimLight[edge] : kRimDark[edge];
    Color body = panel_body(x, y, width, height);
    return edge == 4 ? mix(body, kAccent, 0.18f) : body;
  });
}

void paint_inset(Canvas& canvas, const Rect& inner, Color fill) {
  Rect outer{inner.left - 1, inner.top - 1, inner.width + 2, inner.height + 2};
  Rect glow{inner.left - 2, inner.top - 2, inner.width + 4, inner.height + 4};
  canvas.shade(glow, [&](float, float y, Color under) {
    return mix(under, under * 0.6f, 0.5f) + kAccent * (0.04f * (1.0f - y / static_cast<float>(canvas.height())));
  });
  canvas.fill(outer, hex(0x3a4a78));
  canvas.fill(Rect{outer.left, outer.top, outer.width - 1, outer.height - 1}, hex(0x010207));
  canvas.fill(inner, fill);
}

void paint_label(Canvas& canvas, std::string_view text, float left, float top, float height) {
  Style style;
  style.top = kLabelTop;
  style.bottom = kLabelBottom;
  style.glow = 4.0f;
  style.glow_color = kAccent * 0.22f;
  paint_shape(canvas, text_shape(text, left, top, TextLook{height, 1.0f, 1.5f}), style);
}

void paint_rule(Canvas& canvas, float x0, float x1, float y) {
  Rect area{static_cast<int>(x0), static_cast<int>(y) - 2, static_cast<int>(x1 - x0) + 1, 5};
  canvas.shade(area, [&](float x, float py, Color under) {
    float along = (x - x0) / (x1 - x0);
    float fade = smoothstep(0.0f, 0.15f, along) * smoothstep(1.0f, 0.6f, along);
    float across = std::exp(-(py - y) * (py - y) * 1.2f);
    return under + kAccent * (0.55f * fade * across);
  });
}

}  // namespace quarlyn
