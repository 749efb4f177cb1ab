// Drawing surfaces: 0x00RRGGBB pixels, row-major, clipped rectangle copies with the three raster
// operations, smooth stretching of pictures, and a bounded record of the changed areas.
#include "platform/surface.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <initializer_list>

namespace quarlyn {

namespace {

// Beyond this many separate rectangles a presenter gains nothing from the detail, so the list
// collapses to their bounding box.
constexpr size_t kMaxChanges = 64;
// Written areas are kept for a caller that compares only them, so a few loose rectangles are
// worth more than many exact ones.
constexpr size_t kMaxWrites = 8;
// Copies up to this size onto a shown surface are recorded whole rather than compared first.
constexpr int kSmallCopyPixels = 64 * 64;

bool is_empty(const Rect& area) { return area.width <= 0 || area.height <= 0; }

bool contains(const Rect& outer, const Rect& inner) {
  return inner.left >= outer.left && inner.top >= outer.top && inner.left + inner.width <= outer.left + outer.width &&
         inner.top + inner.height <= outer.top + outer.height;
}

Rect bounding_box(const Rect& a, const Rect& b) {
  const int left = std::min(a.left, b.left);
  const int top = std::min(a.top, b.top);
  const int right = std::max(a.left + a.width, b.left + b.width);
  const int bottom = std::max(a.top + a.height, b.top + b.height);
  return {left, top, right - left, bottom - top};
}

bool meet(const Rect& a, const Rect& b) {
  return a.left < b.left + b.width && b.left < a.left + a.width && a.top < b.top + b.height && b.top < a.top + a.height;
}

int64_t area_of(const Rect& r) { return static_cast<int64_t>(r.width) * r.height; }

// Adds `area` to `list`, which keeps covering everything added to it: an area inside a kept one
// adds nothing, kept ones inside it go, and when the list is full `merge` takes it in instead.
template <class Merge>
void add_covering(std::vector<Rect>& list, const Rect& area, size_t most, Merge merge) {
  for (const Rect& known : list) {
    if (contains(known, area)) return;
  }
  std::erase_if(list, [&](const Rect& known) { return contains(area, known); });
  if (list.size() < most) {
    list.push_back(area);
    return;
  }
  merge();
}

struct Span {
  int64_t start;
  int64_t end;
};

// Clips a span starting at `start` with `length` to [0, limit), in 64 bits so that extreme
// coordinates cannot overflow.
Span clip_span(int64_t start, int64_t length, int64_t limit) {
  return {std::max<int64_t>(start, 0), std::min<int64_t>(start + length, limit)};
}

Rect clip_to(const Rect& area, int width, int height) {
  const Span xs = clip_span(area.left, area.width, width);
  const Span ys = clip_span(area.top, area.height, height);
  if (xs.end <= xs.start || ys.end <= ys.start) return {};
  return {static_cast<int>(xs.start), static_cast<int>(ys.start), static_cast<int>(xs.end - xs.start),
          static_cast<int>(ys.end - ys.start)};
}

}  // namespace

Surface::Surface(int width, int height, Pixel fill) {
  if (width <= 0 || height <= 0) return;
  width_ = width;
  height_ = height;
  pixels_.assign(static_cast<size_t>(width) * static_cast<size_t>(height), fill);
  writes_.assign(1, {0, 0, width_, height_});
}

Pixel Surface::pixel(int x, int y) const {
  if (x < 0 || y < 0 || x >= width_ || y >= height_) return 0;
  return row(y)[x];
}

void Surface::set_pixel(int x, int y, Pixel value) {
  if (x < 0 || y < 0 || x >= width_ || y >= height_) return;
  row(y)[x] = value;
}

void Surface::fill(const Rect& area, Pixel value) {
  const Rect clipped = clip_to(area, width_, height_);
  if (is_empty(clipped)) return;
  for (int y = clipped.top; y < clipped.top + clipped.height; ++y) {
    Pixel* line = row(y) + clipped.left;
    std::fill(line, line + clipped.width, value);
  }
  note_change(clipped);
}

void Surface::track_changes(bool on) {
  tracking_ = on;
  if (!on) changes_.clear();
}

std::vector<Rect> Surface::take_changes() {
  std::vector<Rect> taken;
  take_changes(taken);
  return taken;
}

void Surface::take_changes(std::vector<Rect>& taken) {
  taken.clear();
  taken.swap(changes_);
}

void Surface::forget_writes() {
  writes_.clear();
  writes_.reserve(kMaxWrites);
}

void Surface::watch(const Rect& area) { watched_ = area; }

// A write that would make one rectangle too many joins the kept one it grows least.
void Surface::note_write(const Rect& clipped) {
  if (meet(clipped, watched_)) ++watched_writes_;
  add_covering(writes_, clipped, kMaxWrites, [&] {
    const auto growth = [&](const Rect& known) { return area_of(bounding_box(known, clipped)) - area_of(known); };
    Rect& nearest = *std::min_element(writes_.begin(), writes_.end(),
                                      [&](const Rect& a, const Rect& b) { return growth(a) < growth(b); });
    nearest = bounding_box(nearest, clipped);
  });
}

void Surface::note_change(const Rect& area) {
  const Rect clipped = clip_to(area, width_, height_);
  if (is_empty(clipped)) return;
  note_write(clipped);
  if (!tracking_) return;
  add_covering(changes_, clipped, kMaxChanges, [&] {
    Rect all = clipped;
    for (const Rect& known : changes_) all = bounding_box(all, known);
    changes_.assign(1, all);
  });
}

void Surface::assign(const Surface& picture) {
  if (&picture != this) {
    width_ = picture.width_;
    height_ = picture.height_;
    pixels_ = picture.pixels_;
  }
  // Whatever was recorded before may lie outside the new size; the whole surface covers the rest.
  changes_.clear();
  writes_.clear();
  ++watched_writes_;
  note_change({0, 0, width_, height_});
}

namespace {

// A copy rectangle clipped so that both its source and its destination lie inside their surfaces.
struct BlitArea {
  int x, y, sx, sy, w, h;
};

// Moves the start of one axis inward until both the destination and the source start inside.
bool clip_axis(int64_t& dst, int64_t& src, int64_t& length, int64_t dst_limit, int64_t src_limit) {
  const int64_t skip = std::max<int64_t>({0, -dst, -src});
  dst += skip;
  src += skip;
  length = std::min({length - skip, dst_limit - dst, src_limit - src});
  return length > 0;
}

bool clip_blit(const Surface& dst, const Surface& src, BlitArea& area) {
  int64_t x = area.x, y = area.y, sx = area.sx, sy = area.sy, w = area.w, h = area.h;
  if (w <= 0 || h <= 0) return false;
  if (!clip_axis(x, sx, w, dst.width(), src.width())) return false;
  if (!clip_axis(y, sy, h, dst.height(), src.height())) return false;
  area = {static_cast<int>(x),  static_cast<int>(y), static_cast<int>(sx),
          static_cast<int>(sy), static_cast<int>(w), static_cast<int>(h)};
  return true;
}

// Combines one row. `backwards` is for a row shifted right within itself: walking from the end
// uses every source pixel before it is overwritten.
template <typename Combine>
void combine_row(Pixel* to, const Pixel* from, int count, bool backwards, Combine combine) {
  if (backwards) {
    for (int i = count - 1; i >= 0; --i) to[i] = combine(to[i], from[i]);
  } else {
    for (int i = 0; i < count; ++i) to[i] = combine(to[i], from[i]);
  }
}

void blit_row(Pixel* to, const Pixel* from, int count, bool backwards, uint32_t operation) {
  switch (operation) {
    case SRCAND: combine_row(to, from, count, backwards, [](Pixel d, Pixel s) { return d & s; }); return;
    case SRCPAINT: combine_row(to, from, count, backwards, [](Pixel d, Pixel s) { return d | s; }); return;
    default: std::memmove(to, from, static_cast<size_t>(count) * sizeof(Pixel)); return;
  }
}

// A copy onto a surface that is shown writes and records only the bands of rows it changes, so
// a whole screen put back over itself costs no presenting and a moved sprite sends only its rows.
void copy_changed_rows(Surface& destination, const Surface& source, const BlitArea& area) {
  const size_t bytes = sizeof(Pixel) * static_cast<size_t>(area.w);
  Pixel* const to_first = destination.row(area.y) + area.x;
  const Pixel* const from_first = source.row(area.sy) + area.sx;
  int band_top = -1;
  for (int r = 0; r < area.h; ++r) {
    Pixel* to = to_first + static_cast<ptrdiff_t>(r) * destination.width();
    const Pixel* from = from_first + static_cast<ptrdiff_t>(r) * source.width();
    if (std::memcmp(to, from, bytes) != 0) {
      std::memcpy(to, from, bytes);
      if (band_top < 0) band_top = r;
    } else if (band_top >= 0) {
      destination.note_change({area.x, area.y + band_top, area.w, r - band_top});
      band_top = -1;
    }
  }
  if (band_top >= 0) destination.note_change({area.x, area.y + band_top, area.w, area.h - band_top});
}

// A plain copy between two surfaces: no overlap and no combining, so rows go straight across.
void copy_rows(Surface& destination, const Surface& source, const BlitArea& area) {
  const size_t bytes = sizeof(Pixel) * static_cast<size_t>(area.w);
  Pixel* const to = destination.row(area.y) + area.x;
  const Pixel* const from = source.row(area.sy) + area.sx;
  for (int r = 0; r < area.h; ++r) {
    std::memcpy(to + static_cast<ptrdiff_t>(r) * destination.width(), from + static_cast<ptrdiff_t>(r) * source.width(),
                bytes);
  }
  destination.note_change({area.x, area.y, area.w, area.h});
}

}  // namespace

void bitblt(Surface& destination, int x, int y, int w, int h, const Surface& source, int sx, int sy,
            uint32_t operation) {
  BlitArea area{x, y, sx, sy, w, h};
  if (!clip_blit(destination, source, area)) return;
  const bool copy = operation != SRCAND && operation != SRCPAINT;
  if (copy && &destination != &source) {
    if (destination.tracks_changes() && area.w * area.h > kSmallCopyPixels) {
      copy_changed_rows(destination, source, area);
    } else {
      copy_rows(destination, source, area);
    }
    return;
  }
  // Within one surface, rows moving down are copied bottom first so no source row is overwritten
  // before it is read.
  const bool same = &destination == &source;
  const bool bottom_up = same && area.y > area.sy;
  const bool backwards = same && area.y == area.sy && area.x > area.sx;
  for (int i = 0; i < area.h; ++i) {
    const int r = bottom_up ? area.h - 1 - i : i;
    blit_row(destination.row(area.y + r) + area.x, source.row(area.sy + r) + area.sx, area.w, backwards, operation);
  }
  destination.note_change({area.x, area.y, area.w, area.h});
}

namespace {

// What one output pixel reads along one axis: `count` source pixels from `first`, weighted by
// `count` weights from `offset` in the filter's list.
struct Taps {
  int first;
  int count;
  size_t offset;
};

struct AxisFilter {
  std::vector<Taps> taps;
  std::vector<float> weights;
  void add(int first, std::initializer_list<float> weights_of_taps) {
    taps.push_back({first, static_cast<int>(weights_of_taps.size()), weights.size()});
    weights.insert(weights.end(), weights_of_taps);
  }
};

// Enlarging: linear interpolation between the two nearest source pixel centres; the outermost
// output pixels keep the edge colours.
void add_linear(AxisFilter& filter, int64_t position, int64_t length, int source) {
  const double centre = (static_cast<double>(position) + 0.5) * source / static_cast<double>(length) - 0.5;
  const double clamped = std::clamp(centre, 0.0, static_cast<double>(source - 1));
  const int first = static_cast<int>(clamped);
  const float fraction = static_cast<float>(clamped - first);
  if (first + 1 < source && fraction > 0.0f) {
    filter.add(first, {1.0f - fraction, fraction});
  } else {
    filter.add(first, {1.0f});
  }
}

// Reducing: the average of the source pixels the output pixel covers, partly covered ones by
// their share, so fine detail blends instead of aliasing.
void add_area(AxisFilter& filter, int64_t position, int64_t length, int source) {
  const double low = static_cast<double>(position) * source / static_cast<double>(length);
  const double high = static_cast<double>(position + 1) * source / static_cast<double>(length);
  const int first = static_cast<int>(low);
  const int end = std::min(static_cast<int>(std::ceil(high)), source);
  filter.taps.push_back({first, end - first, filter.weights.size()});
  for (int j = first; j < end; ++j) {
    const double covered = std::min(high, j + 1.0) - std::max(low, static_cast<double>(j));
    filter.weights.push_back(static_cast<float>(covered / (high - low)));
  }
}

// The filter for output positions [from, to) of a span `length` long showing `source` pixels.
AxisFilter axis_filter(int64_t from, int64_t to, int64_t length, int source) {
  AxisFilter filter;
  filter.taps.reserve(static_cast<size_t>(to - from));
  for (int64_t position = from; position < to; ++position) {
    if (length >= source) {
      add_linear(filter, position, length, source);
    } else {
      add_area(filter, position, length, source);
    }
  }
  return filter;
}

// Blends the source rows of one output row into `line` (three channels per source column,
// columns from `column`).
void blend_rows(const Surface& picture, const AxisFilter& down, size_t output_row, int column,
                std::vector<float>& line) {
  std::fill(line.begin(), line.end(), 0.0f);
  const Taps& taps = down.taps[output_row];
  const size_t columns = line.size() / 3;
  for (int k = 0; k < taps.count; ++k) {
    const float weight = down.weights[taps.offset + static_cast<size_t>(k)];
    const Pixel* source = picture.row(taps.first + k) + column;
    for (size_t i = 0; i < columns; ++i) {
      line[3 * i] += weight * static_cast<float>((source[i] >> 16) & 0xFF);
      line[3 * i + 1] += weight * static_cast<float>((source[i] >> 8) & 0xFF);
      line[3 * i + 2] += weight * static_cast<float>(source[i] & 0xFF);
    }
  }
}

Pixel to_channel(float value, int shift) {
  return static_cast<Pixel>(std::clamp(static_cast<int>(value + 0.5f), 0, 255)) << shift;
}

// Blends the columns of `line` into one row of output pixels.
void blend_columns(const AxisFilter& across, int column, const std::vector<float>& line, Pixel* out) {
  for (size_t x = 0; x < across.taps.size(); ++x) {
    const Taps& taps = across.taps[x];
    float red = 0.0f, green = 0.0f, blue = 0.0f;
    for (int k = 0; k < taps.count; ++k) {
      const float weight = across.weights[taps.offset + static_cast<size_t>(k)];
      const size_t at = 3 * static_cast<size_t>(taps.first + k - column);
      red += weight * line[at];
      green += weight * line[at + 1];
      blue += weight * line[at + 2];
    }
    out[x] = to_channel(red, 16) | to_channel(green, 8) | to_channel(blue, 0);
  }
}

}  // namespace

void paint_picture(Surface& destination, const Surface& picture, int x, int y, int w, int h) {
  if (picture.empty() || w <= 0 || h <= 0) return;
  const Rect area = clip_to({x, y, w, h}, destination.width(), destination.height());
  if (is_empty(area)) return;
  // At its own size the filter reads each pixel alone, so a plain copy gives the same pixels.
  if (w == picture.width() && h == picture.height()) {
    bitblt(destination, x, y, w, h, picture, 0, 0, SRCCOPY);
    return;
  }
  const int64_t left = int64_t{area.left} - x;
  const int64_t top = int64_t{area.top} - y;
  const AxisFilter across = axis_filter(left, left + area.width, w, picture.width());
  const AxisFilter down = axis_filter(top, top + area.height, h, picture.height());
  // Only the source columns the clipped area reads are blended.
  const int column = across.taps.front().first;
  int column_end = column;
  for (const Taps& taps : across.taps) column_end = std::max(column_end, taps.first + taps.count);
  std::vector<float> line(3 * static_cast<size_t>(column_end - column));
  for (int r = 0; r < area.height; ++r) {
    blend_rows(picture, down, static_cast<size_t>(r), column, line);
    blend_columns(across, column, line, destination.row(area.top + r) + area.left);
  }
  destination.note_change(area);
}

}  // namespace quarlyn
