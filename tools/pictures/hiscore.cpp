#include <algorithm>
#include <cmath>

#include "blocks.h"
#include "font.h"
#include "noise.h"
#include "pictures.h"
#include "shapes.h"
#include "theme.h"

namespace quarlyn {

namespace {

constexpr float kCentreX = 176.5f;
constexpr float kTrophyY = 100.0f;
// The game's own text box and button go here; the picture stays quiet under them.
constexpr Rect kNameBox{54, 210, 157, 19};
constexpr Rect kOkButton{228, 204, 73, 28};

float ellipse_distance(float x, float y, float cx, float cy, float rx, float ry) {
  return (std::hypot((x - cx) / rx, (y - cy) / ry) - 1.0f) * std::min(rx, ry);
}

float cup_distance(float x, float y) {
  float cx = kCentreX;
  float bowl = std::max(ellipse_distance(x, y, cx, 62, 31, 42), 62.0f - y);
  float rim = box_distance(x, y, cx, 62, 34, 3.5f, 3);
  float side = cx + std::copysign(30.0f, x - cx);
  float handle = std::max(std::fabs(std::hypot(x - side, y - 78) - 12.0f) - 3.2f, 30.0f - std::fabs(x - cx));
  float stem = box_distance(x, y, cx, 114, 5, 12, 2);
  float knot = ellipse_distance(x, y, cx, 107, 10, 4);
  float base = box_distance(x, y, cx, 131, 22, 5, 3);
  return std::min({bowl, rim, handle, stem, knot, base});
}

void paint_burst(Canvas& canvas) {
  canvas.shade(Rect{4, 4, canvas.width() - 8, 190}, [](float x, float y, Color under) {
    float angle = std::atan2(y - kTrophyY, x - kCentreX);
    float r = std::hypot(x - kCentreX, (y - kTrophyY) * 1.3f);
    float rays = smoothstep(0.55f, 1.0f, 0.5f + 0.5f * std::cos(angle * 18.0f));
    float fade = smoothstep(190.0f, 30.0f, r);
    return under + hex(0xffb838) * (0.10f * rays * fade + 0.22f * std::exp(-r * r / 3000.0f));
  });
}

void paint_trophy(Canvas& canvas) {
  Style gold;
  gold.top = hex(0xfff4b8);
  gold.bottom = hex(0xc77d0c);
  gold.outline = 1.2f;
  gold.outline_color = hex(0x4a2a00);
  gold.shadow = 4.0f;
  gold.shadow_alpha = 0.6f;
  gold.glow = 16.0f;
  gold.glow_color = hex(0xffc040) * 0.25f;
  gold.bevel = 4.0f;
  gold.bevel_strength = 0.55f;
  paint_shape(canvas, Shape{Rect{126, 55, 102, 85}, cup_distance}, gold);
  Style plinth{hex(0x3a3f5c), hex(0x1b1f33), 1, 1, hex(0x0a0c16)};
  plinth.bevel = 2.5f;
  paint_shape(canvas, rounded_box(kCentreX - 32, 137, 64, 14, 3), plinth);
  paint_shape(canvas, star(kCentreX, 82, 11), Style{hex(0xfffbe8), hex(0xffd860), 1, 1, hex(0x8a5200)});
}

bool in_quiet_area(float x, float y) {
  bool title = y < 48;
  bool trophy = std::fabs(x - kCentreX) < 62 && y < 160;
  return title || trophy || y > 176;
}

void paint_confetti(Canvas& canvas) {
  for (int i = 0, placed = 0; placed < 26 && i < 400; ++i) {
    float x = 16.0f + hash01(i, 1, 7) * 321.0f;
    float y = 16.0f + hash01(i, 2, 7) * 170.0f;
    if (in_quiet_area(x, y)) continue;
    float angle = hash01(i, 3, 7) * 3.14159f;
    float c = std::cos(angle);
    float s = std::sin(angle);
    Color color = palette_color(6, placed % 10);
    Shape piece{Rect{static_cast<int>(x) - 6, static_cast<int>(y) - 6, 12, 12}, [=](float px, float py) {
                  float u = (px - x) * c + (py - y) * s;
                  float v = -(px - x) * s + (py - y) * c;
                  return box_distance(u, v, 0, 0, 4.2f, 1.6f, 0.8f);
                }};
    paint_shape(canvas, piece, Style{color, color * 0.7f, 0.9f});
    ++placed;
  }
}

void paint_title(Canvas& canvas) {
  Style style;
  style.top = hex(0xfffbe6);
  style.bottom = hex(0xffb224);
  style.outline = 1.6f;
  style.outline_color = hex(0x3b2000);
  style.glow = 10.0f;
  style.glow_color = hex(0xffa820) * 0.3f;
  style.bevel = 2.0f;
  paint_shape(canvas, centred_text("NEW HIGH SCORE!", kCentreX, 16, TextLook{22, 1.1f, 1.3f}), style);
}

}  // namespace

Canvas make_hiscore() {
  Canvas dialog(353, 261);
  paint_panel(dialog);
  paint_burst(dialog);
  paint_confetti(dialog);
  paint_title(dialog);
  paint_trophy(dialog);
  const float sparkles[][3] = {{60, 64, 6}, {292, 80, 7}, {96, 150, 4}, {262, 156, 5}, {226, 60, 4}};
  for (const auto& s : sparkles) paint_sparkle(dialog, s[0], s[1], s[2], hex(0xfff2c8));
  paint_label(dialog, "ENTER YOUR NAME:", static_cast<float>(kNameBox.left), 190, 11);
  paint_inset(dialog, kNameBox, kFieldColor);
  Style button_shadow{Color{}, Color{}, 0};
  button_shadow.shadow = 3.0f;
  button_shadow.shadow_alpha = 0.35f;
  paint_shape(dialog,
              rounded_box(static_cast<float>(kOkButton.left), static_cast<float>(kOkButton.top),
                          static_cast<float>(kOkButton.width), static_cast<float>(kOkButton.height), 3),
              button_shadow);
  return dialog;
}

}  // namespace quarlyn
