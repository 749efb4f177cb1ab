// Drawing surfaces: 32-bit pixel images that the game composes its screen from by rectangle
// copies, and the visible play screen is presented from.
//
// Every rectangle is clipped to both surfaces: what falls outside either one draws nothing. A
// copy within one surface behaves as if the whole source were read before anything is written.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "platform/form.h"

namespace quarlyn {

using Pixel = uint32_t;  // 0x00RRGGBB

constexpr Pixel rgb(uint8_t red, uint8_t green, uint8_t blue) {
  return (Pixel{red} << 16) | (Pixel{green} << 8) | Pixel{blue};
}

// Raster operations of `bitblt`.
enum RasterOperation : uint32_t {
  SRCCOPY = 13369376,   // destination = source
  SRCAND = 8913094,     // destination = destination AND source
  SRCPAINT = 15597702,  // destination = destination OR source
};

class Surface {
 public:
  Surface() = default;
  Surface(int width, int height, Pixel fill = 0);

  int width() const { return width_; }
  int height() const { return height_; }
  bool empty() const { return width_ == 0 || height_ == 0; }

  // Pixels outside the surface read as 0 and are not written.
  Pixel pixel(int x, int y) const;
  void set_pixel(int x, int y, Pixel value);
  const Pixel* row(int y) const { return pixels_.data() + static_cast<size_t>(y) * width_; }
  Pixel* row(int y) { return pixels_.data() + static_cast<size_t>(y) * width_; }
  void fill(const Rect& area, Pixel value);

  // Remembering changed areas, for a surface that is shown on screen: every write through
  // `fill`, `bitblt` and `paint_picture` adds its clipped rectangle; a plain copy of a large area
  // between two surfaces adds only the bands of rows whose pixels it changed (a small one is not
  // worth comparing twice: the presenter compares what it sends anyway). Replacing the whole
  // surface (assignment) counts as a change of all of it.
  void track_changes(bool on);
  bool tracks_changes() const { return tracking_; }
  std::vector<Rect> take_changes();
  // The same into `taken` (its old content dropped); the two lists trade their memory, so a
  // caller that keeps `taken` takes the changes frame after frame without allocating.
  void take_changes(std::vector<Rect>& taken);
  void note_change(const Rect& area);

  // The areas written since `forget_writes` (through the same calls that record changes, whether
  // or not this surface tracks them): a few rectangles covering every such write, near ones
  // merged when there would be more. It is the whole surface until the first `forget_writes` and
  // after `assign` (a surface given another with `=` takes that one's list along). A caller that
  // made two surfaces equal and then forgot both lists knows that only these areas can differ.
  void forget_writes();
  const std::vector<Rect>& writes() const { return writes_; }

  // Counts the writes that meet one watched area (and every assignment), so that whoever drew
  // there last can tell that nothing else has since.
  void watch(const Rect& area);
  uint64_t watched_writes() const { return watched_writes_; }

  // Replaces the content and size, keeping the change tracking of this surface.
  void assign(const Surface& picture);

 private:
  int width_ = 0;
  int height_ = 0;
  std::vector<Pixel> pixels_;
  bool tracking_ = false;
  std::vector<Rect> changes_;
  std::vector<Rect> writes_;
  Rect watched_{};
  uint64_t watched_writes_ = 0;

  void note_write(const Rect& clipped);
};

// Copies the w x h rectangle at (sx, sy) of `source` to (x, y) of `destination`, unscaled,
// combining by `operation` (one of RasterOperation; any other value copies).
void bitblt(Surface& destination, int x, int y, int w, int h, const Surface& source, int sx, int sy,
            uint32_t operation);

// Draws the whole of `picture` stretched into the rectangle (x, y, w, h) with a smooth filter.
void paint_picture(Surface& destination, const Surface& picture, int x, int y, int w, int h);

}  // namespace quarlyn
