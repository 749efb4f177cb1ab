// Text set in a real font through FreeType, anti-aliased, for the pictures that carry words.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "canvas.h"

namespace quarlyn {

// How much of each pixel the text covers, 0 to 1, in a box from the font's ascender to its
// descender and as wide as the text's advance.
struct TextMask {
  int width = 0;
  int height = 0;
  std::vector<float> coverage;
  float at(int x, int y) const;
};

class Typeface {
 public:
  // Throws std::runtime_error when the font file cannot be read.
  explicit Typeface(const std::string& path);
  ~Typeface();
  Typeface(const Typeface&) = delete;
  Typeface& operator=(const Typeface&) = delete;

  // Printable ASCII, kerned, at `pixel_size` pixels per em.
  TextMask render(std::string_view text, float pixel_size) const;

 private:
  struct Face;
  Face* face_;
};

struct TextPaint {
  Color top{1, 1, 1};  // fill gradient over the mask's height
  Color bottom{1, 1, 1};
  float glow = 0;  // radius of an additive halo
  Color glow_color{};
  float shadow = 0;  // offset of a soft drop shadow, down and right
  float shadow_alpha = 0.6f;
};

// Paints the text with the top-left corner of its mask at (left, top).
void paint_text(Canvas& canvas, const TextMask& text, int left, int top, const TextPaint& paint);
// The same, centred in `area` both ways.
void paint_text_centred(Canvas& canvas, const TextMask& text, const Rect& area, const TextPaint& paint);

}  // namespace quarlyn
