#include "window_art.h"

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "blocks.h"
#include "pictures.h"
#include "platform/picture_files.h"
#include "shapes.h"
#include "theme.h"
#include "typeface.h"

namespace quarlyn {

namespace {

struct Fonts {
  Typeface regular;
  Typeface bold;
};

// The configuration window's places (pixels of its 640x480 client area).
constexpr Rect kTypePlaces[7] = {{404, 31, 207, 35},  {403, 69, 207, 35},  {425, 110, 165, 35}, {382, 150, 252, 43},
                                 {424, 199, 169, 35}, {395, 242, 223, 35}, {404, 284, 208, 44}};
constexpr const char* kTypeNames[7] = {"CLASSIC", "SAME BLOCKS", "OBSTACLES", "MANY OBSTACLES",
                                       "BLITZ!",  "40 LINE",     "EXPERT"};
constexpr Rect kTipsPlace{157, 85, 222, 35};
constexpr Rect kStartPlace{424, 353, 165, 53};
struct ButtonPlace {
  const char* file;
  Rect place;
  const char* text;
};
constexpr ButtonPlace kButtons[] = {{"button_about", {138, 439, 96, 34}, "ABOUT"},
                                    {"button_homepage", {239, 439, 116, 34}, "HOME PAGE"},
                                    {"button_options", {360, 439, 114, 34}, "OPTIONS"},
                                    {"button_help", {479, 439, 74, 34}, "HELP"},
                                    {"button_exit", {559, 439, 63, 34}, "EXIT"}};
constexpr Rect kAboutLogo{106, 16, 310, 64};
constexpr Rect kAboutBlocks{22, 22, 72, 72};
constexpr Rect kWelcomeLogo{85, 12, 310, 64};

constexpr Color kGold = hex(0xffd970);
constexpr Color kWhite = hex(0xffffff);

Canvas crop(const Canvas& source, const Rect& area) {
  Canvas piece(area.width, area.height);
  for (int y = 0; y < area.height; ++y) {
    for (int x = 0; x < area.width; ++x) piece.at(x, y) = source.at(area.left + x, area.top + y);
  }
  return piece;
}

// A pane of dark glass laid over what is beneath, with a thin lit rim.
void paint_glass(Canvas& canvas, const Rect& area, float radius, float darkness) {
  const float left = static_cast<float>(area.left);
  const float top = static_cast<float>(area.top);
  const float cx = left + area.width * 0.5f;
  const float cy = top + area.height * 0.5f;
  canvas.shade(area, [&](float x, float y, Color under) {
    const float d = box_distance(x, y, cx, cy, area.width * 0.5f, area.height * 0.5f, radius);
    const float inside = clamp01(0.5f - d);
    const float rim = clamp01(1.0f - std::fabs(d + 1.0f));
    const float height = (y - top) / static_cast<float>(area.height);
    Color glass = mix(under * (1.0f - darkness), hex(0x0c1229), darkness * 0.5f);
    glass = glass + kAccent * (0.04f * (1.0f - height));
    glass = mix(glass, hex(0x7f93c4), rim * (0.55f - 0.3f * height));
    return mix(under, glass, inside);
  });
}

TextPaint label_paint() {
  TextPaint paint;
  paint.top = kLabelTop;
  paint.bottom = kLabelBottom;
  paint.glow = 4;
  paint.glow_color = kAccent * 0.25f;
  paint.shadow = 1;
  return paint;
}

TextPaint title_paint() {
  TextPaint paint;
  paint.top = hex(0xf4fcff);
  paint.bottom = kAccent;
  paint.glow = 10;
  paint.glow_color = kAccent * 0.45f;
  paint.shadow = 2;
  return paint;
}

void paint_title(Canvas& canvas, const Fonts& fonts, const Rect& area) {
  paint_text_centred(canvas, fonts.bold.render("QUARLYN", 42), area, title_paint());
}

// A rounded face for a game type or a button, drawn over a copy of the background beneath it.
struct FaceLook {
  Color top;
  Color bottom;
  Color rim;
  float glow = 0;
  Color glow_color{};
  TextPaint text;
  float text_size = 13;
};

Canvas face(const Canvas& background, const Rect& place, const Fonts& fonts, const char* text, const FaceLook& look) {
  Canvas picture = crop(background, place);
  const float margin = look.glow > 0 ? 3.0f : 2.0f;
  Style style;
  style.top = look.top;
  style.bottom = look.bottom;
  style.outline = look.glow > 0 ? 2.0f : 1.0f;
  style.outline_color = look.rim;
  style.glow = look.glow;
  style.glow_color = look.glow_color;
  style.bevel = 3;
  style.bevel_strength = 0.35f;
  paint_shape(picture,
              rounded_box(margin, margin, static_cast<float>(place.width) - 2 * margin,
                          static_cast<float>(place.height) - 2 * margin, std::min(9.0f, place.height * 0.3f)),
              style);
  paint_text_centred(picture, fonts.bold.render(text, look.text_size), Rect{0, 0, place.width, place.height},
                     look.text);
  return picture;
}

FaceLook type_look(bool lit, float text_size) {
  FaceLook look;
  look.text_size = text_size;
  if (lit) {
    look.top = hex(0x2a6ea6);
    look.bottom = hex(0x123a66);
    look.rim = hex(0xbff0ff);
    look.glow = 3;
    look.glow_color = kAccent * 0.8f;
    look.text.top = kWhite;
    look.text.bottom = kGold;
    look.text.glow = 6;
    look.text.glow_color = kGold * 0.35f;
    look.text.shadow = 1;
  } else {
    look.top = hex(0x1a2444);
    look.bottom = hex(0x0e1530);
    look.rim = hex(0x3c4a74);
    look.text.top = hex(0x9fb4d8);
    look.text.bottom = hex(0x60759c);
    look.text.shadow = 1;
  }
  return look;
}

FaceLook button_look() {
  FaceLook look;
  look.top = hex(0x3a508c);
  look.bottom = hex(0x1a2550);
  look.rim = hex(0x8da1d2);
  look.text = label_paint();
  look.text.glow = 0;
  look.text_size = 12;
  return look;
}

FaceLook start_look() {
  FaceLook look;
  look.top = hex(0x37b66c);
  look.bottom = hex(0x146a3c);
  look.rim = hex(0xc8ffd8);
  look.glow = 3;
  look.glow_color = hex(0x5cff9c) * 0.6f;
  look.text.top = kWhite;
  look.text.bottom = hex(0xe4ffe8);
  look.text.shadow = 2;
  look.text.shadow_alpha = 0.7f;
  look.text_size = 17;
  return look;
}

void paste_blocks(Canvas& canvas, const std::vector<std::pair<int, int>>& cells, int left, int top, Color colour) {
  const Canvas block = glossy_block(colour);
  for (const auto& [column, row] : cells) canvas.paste(block, left + column * kCell, top + row * kCell);
}

Canvas config_background(const Fonts& fonts) {
  Canvas canvas = make_aurora_night();
  canvas.shade([](float, float, Color under) { return under * 0.55f; });
  paint_title(canvas, fonts, Rect{14, 6, 360, 56});
  paint_text_centred(canvas, fonts.regular.render("THE FALLING-BLOCK SCREEN SAVER", 11), Rect{14, 60, 360, 16},
                     label_paint());
  // The high-score table: headings over ten rows.
  paint_glass(canvas, Rect{8, 126, 370, 302}, 10, 0.55f);
  const TextPaint heading = label_paint();
  paint_text(canvas, fonts.bold.render("NAME", 12), 18, 134, heading);
  paint_text_centred(canvas, fonts.bold.render("SCORE", 12), Rect{213, 134, 91, 16}, heading);
  paint_text_centred(canvas, fonts.bold.render("LINES", 12), Rect{309, 134, 61, 16}, heading);
  paint_rule(canvas, 16, 370, 153);
  for (int i = 0; i < 10; i += 2) {
    canvas.shade(Rect{14, 159 + 27 * i - 4, 358, 27}, [](float, float, Color under) { return under + hex(0x0b1430) * 0.6f; });
  }
  // The game types, the start button's stand and the bar of buttons.
  paint_glass(canvas, Rect{376, 4, 260, 334}, 10, 0.5f);
  paint_text_centred(canvas, fonts.bold.render("GAME TYPE", 12), Rect{376, 9, 260, 18}, heading);
  paint_glass(canvas, Rect{412, 343, 189, 73}, 12, 0.45f);
  paint_glass(canvas, Rect{4, 432, 632, 46}, 10, 0.55f);
  paste_blocks(canvas, {{0, 0}, {1, 0}, {2, 0}, {3, 0}}, 22, 445, palette_color(1, 2));
  return canvas;
}

Canvas tips_picture(const Canvas& background, const Fonts& fonts) {
  Canvas picture = crop(background, kTipsPlace);
  Style style;
  style.top = hex(0x1f2c55);
  style.bottom = hex(0x111a38);
  style.outline = 1;
  style.outline_color = hex(0x5cd6ff) * 0.6f;
  style.bevel = 3;
  paint_shape(picture, rounded_box(2, 2, static_cast<float>(kTipsPlace.width) - 4, static_cast<float>(kTipsPlace.height) - 4, 9),
              style);
  // A small glowing bulb beside the words.
  paint_glow(picture, 20, 17, 14, kGold * 0.45f);
  Style bulb;
  bulb.top = hex(0xfff6c8);
  bulb.bottom = kGold;
  paint_shape(picture, rounded_box(14, 9, 12, 13, 6), bulb);
  Style base;
  base.top = hex(0xb8c4dc);
  base.bottom = hex(0x6a7898);
  paint_shape(picture, rounded_box(16, 22, 8, 5, 1.5f), base);
  TextPaint text = label_paint();
  paint_text_centred(picture, fonts.bold.render("Point here for a tip!", 12), Rect{34, 0, kTipsPlace.width - 40, kTipsPlace.height},
                     text);
  return picture;
}

Canvas dialog_background(int width, int height) {
  Canvas canvas(width, height);
  paint_panel(canvas);
  return canvas;
}

void paint_key(Canvas& canvas, const Fonts& fonts, const Rect& key, const char* label,
               const std::function<void(Canvas&, const Rect&)>& symbol = {}) {
  Style style;
  style.top = hex(0x4a5a8c);
  style.bottom = hex(0x1e2850);
  style.outline = 1;
  style.outline_color = hex(0x8da1d2);
  style.bevel = 3;
  style.shadow = 2;
  paint_shape(canvas,
              rounded_box(static_cast<float>(key.left), static_cast<float>(key.top), static_cast<float>(key.width),
                          static_cast<float>(key.height), 5),
              style);
  if (symbol) {
    symbol(canvas, key);
  } else {
    TextPaint text = label_paint();
    text.glow = 0;
    paint_text_centred(canvas, fonts.bold.render(label, 13), key, text);
  }
}

// An arrow head pointing along (dx, dy), drawn as two strokes.
void paint_arrow(Canvas& canvas, const Rect& key, float dx, float dy) {
  const float cx = key.left + key.width * 0.5f;
  const float cy = key.top + key.height * 0.5f;
  const float tip_x = cx + dx * 5;
  const float tip_y = cy + dy * 5;
  const float back_x = cx - dx * 3;
  const float back_y = cy - dy * 3;
  const float side_x = -dy * 6;
  const float side_y = dx * 6;
  Shape arrow{Rect{key.left, key.top, key.width, key.height}, [=](float x, float y) {
                return std::min(segment_distance(x, y, tip_x, tip_y, back_x + side_x, back_y + side_y),
                                segment_distance(x, y, tip_x, tip_y, back_x - side_x, back_y - side_y)) -
                       1.4f;
              }};
  Style style;
  style.top = kLabelTop;
  style.bottom = kLabelBottom;
  paint_shape(canvas, arrow, style);
}

Canvas help_background(const Fonts& fonts) {
  Canvas canvas = dialog_background(430, 340);
  paint_rule(canvas, 20, 410, 42);
  paint_rule(canvas, 20, 410, 208);
  constexpr int kKey = 30;
  const int top = 218;
  auto arrow = [](float dx, float dy) {
    return [dx, dy](Canvas& c, const Rect& key) { paint_arrow(c, key, dx, dy); };
  };
  paint_key(canvas, fonts, {74, top, kKey, kKey}, "", arrow(0, -1));
  paint_key(canvas, fonts, {40, top + 34, kKey, kKey}, "", arrow(-1, 0));
  paint_key(canvas, fonts, {74, top + 34, kKey, kKey}, "", arrow(0, 1));
  paint_key(canvas, fonts, {108, top + 34, kKey, kKey}, "", arrow(1, 0));
  paint_key(canvas, fonts, {156, top + 34, 118, kKey}, "SPACE");
  paint_key(canvas, fonts, {324, top, kKey, kKey}, "W");
  paint_key(canvas, fonts, {290, top + 34, kKey, kKey}, "A");
  paint_key(canvas, fonts, {324, top + 34, kKey, kKey}, "S");
  paint_key(canvas, fonts, {358, top + 34, kKey, kKey}, "D");
  paint_key(canvas, fonts, {156, top, 40, kKey}, "ESC");
  return canvas;
}

struct Written {
  std::string name;
  Canvas picture;
};

std::vector<Written> draw_all(const Fonts& fonts) {
  std::vector<Written> pictures;
  const Canvas background = config_background(fonts);
  pictures.push_back({"config_background", background});
  for (int lit = 0; lit < 2; ++lit) {
    for (int type = 0; type < 7; ++type) {
      const Rect& place = kTypePlaces[type];
      const float size = std::min(15.0f, place.height * 0.42f + 1.0f);
      pictures.push_back({"type" + std::to_string(type + 1) + (lit != 0 ? "_lit" : ""),
                          face(background, place, fonts, kTypeNames[type], type_look(lit != 0, size))});
    }
  }
  pictures.push_back({"tips", tips_picture(background, fonts)});
  pictures.push_back({"button_start", face(background, kStartPlace, fonts, "START GAME", start_look())});
  for (const ButtonPlace& button : kButtons) {
    pictures.push_back({button.file, face(background, button.place, fonts, button.text, button_look())});
  }
  Canvas about = dialog_background(440, 344);
  paint_title(about, fonts, kAboutLogo);
  paste_blocks(about, {{1, 0}, {0, 1}, {1, 1}, {2, 1}}, kAboutBlocks.left + 6, kAboutBlocks.top + 16, palette_color(1, 4));
  paint_rule(about, 30, 410, 132);
  pictures.push_back({"about_background", about});
  pictures.push_back({"about_logo", crop(about, kAboutLogo)});
  pictures.push_back({"about_blocks", crop(about, kAboutBlocks)});
  pictures.push_back({"help_background", help_background(fonts)});
  Canvas welcome = dialog_background(480, 400);
  paint_title(welcome, fonts, kWelcomeLogo);
  paint_rule(welcome, 24, 456, 82);
  pictures.push_back({"welcome_background", welcome});
  pictures.push_back({"welcome_logo", crop(welcome, kWelcomeLogo)});
  pictures.push_back({"options_background", dialog_background(400, 300)});
  return pictures;
}

}  // namespace

bool write_window_art(const std::string& folder, const std::string& regular_font, const std::string& bold_font) {
  const Fonts fonts{Typeface(regular_font), Typeface(bold_font)};
  for (const Written& written : draw_all(fonts)) {
    const std::string path = (std::filesystem::path(folder) / (written.name + ".bmp")).string();
    if (!save_picture(written.picture.to_surface(), path)) return false;
  }
  return true;
}

}  // namespace quarlyn
