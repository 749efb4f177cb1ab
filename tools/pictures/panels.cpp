#include <string>

#include "blocks.h"
#include "font.h"
#include "pictures.h"
#include "shapes.h"
#include "theme.h"

namespace quarlyn {

namespace {

constexpr int kFrame = 5;

// The well's interior depends only on x and on y modulo one row, so any 20-pixel band of it
// can stand for an empty row.
Color well_interior(int x, int y) {
  int cx = (x - kFrame) % kCell;
  int cy = y % kCell;
  float across = (static_cast<float>(x) - 105.0f) / 100.0f;
  Color color = kWellColor + hex(0x0b1430) * (0.55f * (1.0f - across * across));
  if (cx == 0 || cy == 0) color = color + hex(0x10182f);
  if (cx == kCell - 1 || cy == kCell - 1) color = color * 0.6f;
  bool corner = (cx == 0 || cx == kCell - 1) && (cy == 0 || cy == kCell - 1);
  if (corner) color = color + kAccent * 0.10f;
  return color;
}

// The frame, from its outer edge (step 0) to the interior (step 4), shaded by height.
Color well_frame(int step, float y) {
  constexpr Color kSteps[kFrame] = {hex(0x03050c), hex(0x8da1d2), hex(0x4b5b8a), hex(0x232c4c), hex(0x04060d)};
  float fade = 1.0f - 0.3f * y / 480.0f;
  Color color = kSteps[step] * fade;
  if (step == 3) color = color + kAccent * (0.18f * fade);
  return color;
}

}  // namespace

Canvas make_grid() {
  Canvas grid(2 * kFrame + 10 * kCell, 24 * kCell);
  int right = grid.width() - 1;
  grid.shade([&](float fx, float fy, Color) {
    int x = static_cast<int>(fx);
    if (x < kFrame) return well_frame(x, fy);
    if (x > right - kFrame) return well_frame(right - x, fy);
    return well_interior(x, static_cast<int>(fy));
  });
  return grid;
}

Canvas make_next() {
  Canvas next(120, 140);
  paint_panel(next);
  float width = text_width("NEXT", TextLook{12, 1.0f, 1.5f});
  paint_label(next, "NEXT", 60.0f - width * 0.5f, 15, 12);
  paint_rule(next, 14, 60.0f - width * 0.5f - 6.0f, 21);
  paint_rule(next, 60.0f + width * 0.5f + 6.0f, 106, 21);
  paint_inset(next, Rect{20, 44, 80, 80}, kWellColor);
  return next;
}

Canvas make_score() {
  Canvas score(140, 200);
  paint_panel(score);
  const char* labels[] = {"SCORE", "LEVEL", "LINES"};
  for (int i = 0; i < 3; ++i) {
    int field_top = 41 + 62 * i;
    TextLook look{10, 1.0f, 1.5f};
    paint_label(score, labels[i], 11, static_cast<float>(field_top - 16), look.height);
    paint_rule(score, 17.0f + text_width(labels[i], look), 129, static_cast<float>(field_top - 11));
    // Wider than the counter by a few pixels all round, so the game's copy of the blank
    // field (taken one pixel left and four down) matches wherever it lands.
    paint_inset(score, Rect{8, field_top - 3, 123, 32}, kFieldColor);
  }
  return score;
}

Canvas make_numbers() {
  Canvas numbers(10 * kCell, 25, kFieldColor);
  Style style;
  style.top = hex(0xffffff);
  style.bottom = hex(0x9fe8ff);
  style.glow = 2.4f;
  style.glow_color = kAccent * 0.30f;
  TextLook look{19, 1.05f, 0};
  for (int digit = 0; digit < 10; ++digit) {
    // Each glyph is drawn in its own cell so that nothing spills into the next one, and the
    // cell's edges stay exactly the field colour.
    Canvas cell(kCell, 25, kFieldColor);
    paint_shape(cell, centred_text(std::string(1, static_cast<char>('0' + digit)), 10.0f, 3, look), style);
    numbers.paste(cell, digit * kCell, 0);
  }
  return numbers;
}

}  // namespace quarlyn
