#include "typeface.h"

#include <ft2build.h>
#include FT_FREETYPE_H

#include <algorithm>
#include <cmath>
#include <stdexcept>

namespace quarlyn {

struct Typeface::Face {
  FT_Library library = nullptr;
  FT_Face face = nullptr;
};

namespace {

// A box blur run three times approximates a Gaussian of about this radius.
std::vector<float> blurred(const std::vector<float>& source, int width, int height, int radius) {
  std::vector<float> result = source;
  std::vector<float> line;
  auto pass = [&](bool horizontal) {
    const int length = horizontal ? width : height;
    const int lines = horizontal ? height : width;
    for (int l = 0; l < lines; ++l) {
      line.assign(static_cast<size_t>(length), 0.0f);
      auto index = [&](int i) { return horizontal ? static_cast<size_t>(l) * width + i : static_cast<size_t>(i) * width + l; };
      for (int i = 0; i < length; ++i) {
        float sum = 0;
        for (int k = -radius; k <= radius; ++k) {
          const int j = i + k;
          if (j >= 0 && j < length) sum += result[index(j)];
        }
        line[static_cast<size_t>(i)] = sum / static_cast<float>(2 * radius + 1);
      }
      for (int i = 0; i < length; ++i) result[index(i)] = line[static_cast<size_t>(i)];
    }
  };
  for (int round = 0; round < 3; ++round) {
    pass(true);
    pass(false);
  }
  return result;
}

}  // namespace

float TextMask::at(int x, int y) const {
  if (x < 0 || y < 0 || x >= width || y >= height) return 0;
  return coverage[static_cast<size_t>(y) * width + x];
}

Typeface::Typeface(const std::string& path) : face_(new Face) {
  if (FT_Init_FreeType(&face_->library) != 0 || FT_New_Face(face_->library, path.c_str(), 0, &face_->face) != 0) {
    if (face_->library != nullptr) FT_Done_FreeType(face_->library);
    delete face_;
    throw std::runtime_error("cannot read the font " + path);
  }
}

Typeface::~Typeface() {
  FT_Done_Face(face_->face);
  FT_Done_FreeType(face_->library);
  delete face_;
}

TextMask Typeface::render(std::string_view text, float pixel_size) const {
  FT_Face face = face_->face;
  FT_Set_Char_Size(face, 0, static_cast<FT_F26Dot6>(std::lround(pixel_size * 64)), 72, 72);
  const int ascender = static_cast<int>(std::ceil(face->size->metrics.ascender / 64.0));
  const int descender = static_cast<int>(std::floor(face->size->metrics.descender / 64.0));
  // First the pen positions (26.6 fixed point), then the glyphs into a mask that fits them.
  std::vector<long> pens;
  long pen = 0;
  FT_UInt previous = 0;
  for (char c : text) {
    const FT_UInt glyph = FT_Get_Char_Index(face, static_cast<unsigned char>(c));
    if (previous != 0 && FT_HAS_KERNING(face)) {
      FT_Vector kerning{};
      FT_Get_Kerning(face, previous, glyph, FT_KERNING_DEFAULT, &kerning);
      pen += kerning.x;
    }
    pens.push_back(pen);
    if (FT_Load_Glyph(face, glyph, FT_LOAD_DEFAULT) == 0) pen += face->glyph->advance.x;
    previous = glyph;
  }
  TextMask mask;
  mask.width = static_cast<int>(std::ceil(pen / 64.0)) + 2;
  mask.height = ascender - descender;
  mask.coverage.assign(static_cast<size_t>(mask.width) * mask.height, 0.0f);
  for (size_t i = 0; i < text.size(); ++i) {
    const FT_UInt glyph = FT_Get_Char_Index(face, static_cast<unsigned char>(text[i]));
    // The fractional pen position shifts the outline, so the spacing stays even.
    FT_Vector shift{pens[i] % 64, 0};
    FT_Set_Transform(face, nullptr, &shift);
    if (FT_Load_Glyph(face, glyph, FT_LOAD_RENDER | FT_LOAD_TARGET_NORMAL) != 0) continue;
    const FT_Bitmap& bitmap = face->glyph->bitmap;
    const int left = static_cast<int>(pens[i] / 64) + face->glyph->bitmap_left + 1;
    const int top = ascender - face->glyph->bitmap_top;
    for (unsigned row = 0; row < bitmap.rows; ++row) {
      for (unsigned column = 0; column < bitmap.width; ++column) {
        const int x = left + static_cast<int>(column);
        const int y = top + static_cast<int>(row);
        if (x < 0 || y < 0 || x >= mask.width || y >= mask.height) continue;
        float& cell = mask.coverage[static_cast<size_t>(y) * mask.width + x];
        cell = std::min(1.0f, cell + bitmap.buffer[row * static_cast<unsigned>(bitmap.pitch) + column] / 255.0f);
      }
    }
  }
  FT_Set_Transform(face, nullptr, nullptr);
  return mask;
}

void paint_text(Canvas& canvas, const TextMask& text, int left, int top, const TextPaint& paint) {
  // The halo and the shadow spread beyond the glyphs: work on a padded copy of the mask.
  const int pad = static_cast<int>(std::ceil(std::max(paint.glow, paint.shadow + 2.0f))) + 2;
  const int width = text.width + 2 * pad;
  const int height = text.height + 2 * pad;
  std::vector<float> padded(static_cast<size_t>(width) * height, 0.0f);
  for (int y = 0; y < text.height; ++y) {
    for (int x = 0; x < text.width; ++x) padded[static_cast<size_t>(y + pad) * width + x + pad] = text.at(x, y);
  }
  const std::vector<float> halo =
      paint.glow > 0 ? blurred(padded, width, height, std::max(1, static_cast<int>(paint.glow / 2))) : padded;
  const std::vector<float> soft = paint.shadow > 0 ? blurred(padded, width, height, 1) : padded;
  const int offset = static_cast<int>(std::lround(paint.shadow));
  canvas.shade(Rect{left - pad, top - pad, width, height}, [&](float fx, float fy, Color under) {
    const int x = static_cast<int>(fx) - (left - pad);
    const int y = static_cast<int>(fy) - (top - pad);
    const size_t index = static_cast<size_t>(y) * width + x;
    Color colour = under;
    if (paint.shadow > 0 && x >= offset && y >= offset) {
      const float shade = soft[static_cast<size_t>(y - offset) * width + x - offset] * paint.shadow_alpha;
      colour = colour * (1.0f - shade);
    }
    if (paint.glow > 0) colour = colour + paint.glow_color * std::min(1.0f, halo[index] * 1.6f);
    const float along = clamp01(static_cast<float>(y - pad) / static_cast<float>(std::max(1, text.height - 1)));
    return mix(colour, mix(paint.top, paint.bottom, along), padded[index]);
  });
}

void paint_text_centred(Canvas& canvas, const TextMask& text, const Rect& area, const TextPaint& paint) {
  paint_text(canvas, text, area.left + (area.width - text.width) / 2, area.top + (area.height - text.height) / 2,
             paint);
}

}  // namespace quarlyn
