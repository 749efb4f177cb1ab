#include <cmath>

#include "blocks.h"
#include "colours.h"
#include "font.h"
#include "pictures.h"
#include "shapes.h"
#include "theme.h"

namespace quarlyn {

namespace {

Color bonus_backdrop(float x, float y) {
  constexpr GradientStop kSweep[] = {{0.0f, hex(0x6a1b9a)}, {0.45f, hex(0xe0307a)}, {1.0f, hex(0xff9d2e)}};
  Color color = gradient(kSweep, (x + (80.0f - y) * 0.6f) / 248.0f);
  float angle = std::atan2(y - 40.0f, x - 100.0f);
  float rays = 0.5f + 0.5f * std::cos(angle * 14.0f);
  float distance = std::hypot((x - 100.0f) / 100.0f, (y - 40.0f) / 40.0f);
  color = color + Color{1.0f, 0.85f, 0.6f} * (0.16f * rays * smoothstep(1.4f, 0.2f, distance));
  color = color + Color{1.0f, 0.9f, 0.7f} * (0.35f * std::exp(-distance * distance * 2.5f));
  if (y < 3.0f || y > 77.0f) color = mix(hex(0xffe08a), hex(0x5a1a00), (y < 3.0f ? y : 80.0f - y) / 3.0f);
  return color;
}

void paint_gold_word(Canvas& canvas, const Shape& word) {
  Style style;
  style.top = hex(0xffffff);
  style.bottom = hex(0xffc93a);
  style.outline = 2.4f;
  style.outline_color = hex(0x3a0a42);
  style.shadow = 3.0f;
  style.shadow_alpha = 0.55f;
  style.bevel = 3.0f;
  style.bevel_strength = 0.5f;
  paint_shape(canvas, word, style);
}

void paint_glass_card(Canvas& canvas, const Shape& card) {
  Style glass;
  glass.top = hex(0x222a52);
  glass.bottom = hex(0x090c1c);
  glass.opacity = 0.88f;
  glass.outline = 1.6f;
  glass.outline_color = hex(0xa9bcf0);
  glass.shadow = 4.0f;
  glass.shadow_alpha = 0.65f;
  glass.bevel = 4.0f;
  glass.bevel_strength = 0.35f;
  paint_shape(canvas, card, glass);
}

void paint_red_word(Canvas& canvas, const Shape& word) {
  Style style;
  style.top = hex(0xfff3e6);
  style.bottom = hex(0xff4a3a);
  style.outline = 1.8f;
  style.outline_color = hex(0x2a0610);
  style.glow = 12.0f;
  style.glow_color = hex(0xff2a40) * 0.32f;
  style.bevel = 2.5f;
  paint_shape(canvas, word, style);
}

}  // namespace

Canvas make_bonus() {
  Canvas bonus(200, 80);
  bonus.shade([](float x, float y, Color) { return bonus_backdrop(x, y); });
  paint_gold_word(bonus, centred_text("BONUS!", 100, 21, TextLook{38, 1.25f, 1.1f}));
  const float sparkles[][3] = {{9, 14, 7}, {193, 66, 7}, {22, 66, 5}, {181, 13, 5}, {58, 9, 4}, {146, 72, 4}};
  for (const auto& s : sparkles) paint_sparkle(bonus, s[0], s[1], s[2], Color{1.0f, 0.95f, 0.8f});
  return bonus;
}

// Sits over the well filled with game-over blocks, aligned to its cells, so its corners
// continue the blocks around it.
Canvas make_gameover() {
  Canvas card(8 * kCell, 10 * kCell);
  Canvas block = steel_block();
  for (int y = 0; y < card.height(); y += kCell) {
    for (int x = 0; x < card.width(); x += kCell) card.paste(block, x, y);
  }
  paint_glass_card(card, rounded_box(8, 8, 144, 184, 16));
  paint_shape(card, rounded_box(12, 12, 136, 70, 13), Style{Color{1, 1, 1}, Color{1, 1, 1}, 0.05f});
  TextLook look{34, 1.15f, 1.2f};
  paint_red_word(card, centred_text("GAME", 80, 53, look));
  paint_rule(card, 24, 136, 100);
  paint_red_word(card, centred_text("OVER", 80, 113, look));
  for (int i = 0; i < 3; ++i) {
    paint_shape(card, star(64.0f + 16.0f * static_cast<float>(i), 168, 5),
                Style{hex(0xc8d6ff), hex(0x7f93c4), 1, 0, {}, 4, kAccent * 0.2f});
  }
  return card;
}

}  // namespace quarlyn
