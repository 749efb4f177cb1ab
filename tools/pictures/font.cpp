#include "font.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <memory>
#include <vector>

namespace quarlyn {

namespace {

struct Glyph {
  char letter;
  float width;
  const char* strokes;  // polylines "x,y x,y ..." split by '|'; a '*' rounds that corner
};

// Closed outlines start mid-edge so every corner can be rounded.
constexpr Glyph kGlyphs[] = {
    {'A', 4, "0,6 0,0* 4,0* 4,6|0,3.3 4,3.3"},
    {'B', 4, "0,3 3.4,3* 3.4,0* 0,0 0,6 4,6* 4,3* 3,3"},
    {'C', 4, "4,0 0,0* 0,6* 4,6"},
    {'E', 3.6f, "3.6,0 0,0 0,6 3.6,6|0,3 3,3"},
    {'G', 4, "4,0 0,0* 0,6* 4,6* 4,3 2.2,3"},
    {'H', 4, "0,0 0,6|4,0 4,6|0,3 4,3"},
    {'I', 0, "0,0 0,6"},
    {'L', 3.6f, "0,0 0,6 3.6,6"},
    {'M', 5, "0,6 0,0 2.5,3.4 5,0 5,6"},
    {'N', 4, "0,6 0,0 4,6 4,0"},
    {'O', 4, "2,0 4,0* 4,6* 0,6* 0,0* 2,0"},
    {'R', 4, "0,6 0,0 4,0* 4,3* 0,3|2.4,3 4,6"},
    {'S', 4, "4,0 0,0* 0,3* 4,3* 4,6* 0,6"},
    {'T', 4, "0,0 4,0|2,0 2,6"},
    {'U', 4, "0,0 0,6* 4,6* 4,0"},
    {'V', 4, "0,0 2,6 4,0"},
    {'W', 5.4f, "0,0 1.35,6 2.7,1.6 4.05,6 5.4,0"},
    {'X', 4, "0,0 4,6|4,0 0,6"},
    {'Y', 4, "0,0 2,3 4,0|2,3 2,6"},
    {'0', 4, "2,0 4,0* 4,6* 0,6* 0,0* 2,0|2.7,2 1.3,4"},
    {'1', 4, "1,1.2 2.6,0 2.6,6"},
    {'2', 4, "0,0 4,0* 4,3* 0,3* 0,6 4,6"},
    {'3', 4, "0,0 4,0* 4,6* 0,6|1.2,3 4,3"},
    {'4', 4, "0,0 0,3.8 4,3.8|3,1.4 3,6"},
    {'5', 4, "4,0 0,0 0,3 4,3* 4,6* 0,6"},
    {'6', 4, "4,0 0,0* 0,6* 4,6* 4,3* 0,3"},
    {'7', 4, "0,0 4,0 1.4,6"},
    {'8', 4, "2,0 3.6,0* 3.6,3* 0.4,3* 0.4,0* 2,0|2,3 4,3* 4,6* 0,6* 0,3* 2,3"},
    {'9', 4, "0,6 4,6* 4,0* 0,0* 0,3* 4,3"},
    {'!', 0, "0,0 0,4.1|0,5.95 0,6"},
    {':', 0, "0,1.5 0,1.55|0,5.95 0,6"},
};

constexpr float kSpaceWidth = 2.0f;
constexpr float kRounding = 1.4f;

const Glyph* find_glyph(char letter) {
  for (const Glyph& glyph : kGlyphs) {
    if (glyph.letter == letter) return &glyph;
  }
  return nullptr;
}

struct Point {
  float x;
  float y;
  bool rounded;
};

std::vector<std::vector<Point>> parse_strokes(const char* text) {
  std::vector<std::vector<Point>> strokes(1);
  while (*text != '\0') {
    if (*text == '|') {
      strokes.emplace_back();
      ++text;
    } else if (*text == ' ') {
      ++text;
    } else {
      char* end = nullptr;
      float x = std::strtof(text, &end);
      float y = std::strtof(end + 1, &end);
      bool rounded = *end == '*';
      strokes.back().push_back({x, y, rounded});
      text = rounded ? end + 1 : end;
    }
  }
  return strokes;
}

Point toward(const Point& from, const Point& to, float distance) {
  float length = std::hypot(to.x - from.x, to.y - from.y);
  float t = std::min(distance, length * 0.5f) / length;
  return {from.x + (to.x - from.x) * t, from.y + (to.y - from.y) * t, false};
}

// Replaces each rounded corner by a quadratic curve between points on its two edges.
std::vector<Point> round_corners(const std::vector<Point>& line) {
  std::vector<Point> out;
  for (size_t i = 0; i < line.size(); ++i) {
    if (!line[i].rounded || i == 0 || i + 1 == line.size()) {
      out.push_back(line[i]);
      continue;
    }
    Point a = toward(line[i], line[i - 1], kRounding);
    Point b = toward(line[i], line[i + 1], kRounding);
    for (int step = 0; step <= 6; ++step) {
      float t = static_cast<float>(step) / 6.0f;
      float u = 1.0f - t;
      out.push_back({u * u * a.x + 2 * u * t * line[i].x + t * t * b.x,
                     u * u * a.y + 2 * u * t * line[i].y + t * t * b.y, false});
    }
  }
  return out;
}

struct Segment {
  float ax, ay, bx, by;
};

struct GlyphPath {
  float left, top, right, bottom;
  std::vector<Segment> segments;
};

GlyphPath glyph_path(const Glyph& glyph, float x0, float y0, float unit) {
  GlyphPath path{x0, y0, x0 + glyph.width * unit, y0 + 6.0f * unit, {}};
  for (const std::vector<Point>& stroke : parse_strokes(glyph.strokes)) {
    std::vector<Point> line = round_corners(stroke);
    for (size_t i = 0; i + 1 < line.size(); ++i) {
      path.segments.push_back(
          {x0 + line[i].x * unit, y0 + line[i].y * unit, x0 + line[i + 1].x * unit, y0 + line[i + 1].y * unit});
    }
  }
  return path;
}

float unit_of(const TextLook& look) { return look.height / (6.0f + look.weight); }

float distance_to_paths(const std::vector<GlyphPath>& paths, float x, float y) {
  float best = 1e9f;
  for (const GlyphPath& path : paths) {
    float bx = std::max({path.left - x, 0.0f, x - path.right});
    float by = std::max({path.top - y, 0.0f, y - path.bottom});
    if (std::hypot(bx, by) >= best) continue;
    for (const Segment& s : path.segments) best = std::min(best, segment_distance(x, y, s.ax, s.ay, s.bx, s.by));
  }
  return best;
}

}  // namespace

float text_width(std::string_view text, const TextLook& look) {
  float unit = unit_of(look);
  float width = 0.0f;
  for (size_t i = 0; i < text.size(); ++i) {
    const Glyph* glyph = find_glyph(text[i]);
    width += glyph != nullptr ? glyph->width * unit + look.weight * unit : kSpaceWidth * unit;
    if (i + 1 < text.size()) width += look.spacing * unit;
  }
  return width;
}

Shape text_shape(std::string_view text, float left, float top, const TextLook& look) {
  float unit = unit_of(look);
  float pen = look.weight * unit;
  auto paths = std::make_shared<std::vector<GlyphPath>>();
  float x = left + pen * 0.5f;
  for (char letter : text) {
    const Glyph* glyph = find_glyph(letter);
    if (glyph == nullptr) {
      x += (kSpaceWidth + look.spacing) * unit;
      continue;
    }
    paths->push_back(glyph_path(*glyph, x, top + pen * 0.5f, unit));
    x += (glyph->width + look.weight + look.spacing) * unit;
  }
  Rect bounds{static_cast<int>(std::floor(left)), static_cast<int>(std::floor(top)),
              static_cast<int>(std::ceil(text_width(text, look))) + 2, static_cast<int>(std::ceil(look.height)) + 2};
  float half_pen = pen * 0.5f;
  return {bounds, [paths, half_pen](float px, float py) { return distance_to_paths(*paths, px, py) - half_pen; }};
}

Shape centred_text(std::string_view text, float centre_x, float top, const TextLook& look) {
  return text_shape(text, centre_x - text_width(text, look) * 0.5f, top, look);
}

}  // namespace quarlyn
