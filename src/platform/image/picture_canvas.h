// Where a decoder puts the rows it decodes. The picture is built at its own size, or, when it is
// loaded at the size it is drawn at, reduced row by row as the rows come: only the reduced
// picture and the sums of the reduced rows not yet complete stand in memory, never the whole.
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "platform/picture_files.h"
#include "platform/surface.h"

namespace quarlyn {

class PictureCanvas {
 public:
  // Without `drawn_size` the picture is built at its own size.
  explicit PictureCanvas(DrawnSize drawn_size = {});

  // Takes the picture's own size; false refuses it: larger than the way it is loaded allows, or
  // drawn at no size.
  bool accept(int64_t width, int64_t height);
  bool reducing() const { return static_cast<bool>(drawn_size_); }
  // The size the picture is drawn at, once accepted.
  const Rect& drawn() const { return drawn_; }

  // The size of the rows to come: the picture's own, or less where the decoder reduced it
  // itself (never below the size drawn).
  void begin(int width, int height);
  // Row `y` of `width` pixels; every row once, in any order.
  void add_row(int y, const Pixel* row);
  // The picture at the size drawn, once every row has come.
  std::optional<Surface> finish();

 private:
  // What one source pixel gives along an axis: `weight` of it to output pixel `first`, and
  // `next_weight` to the one after (0 where it lies wholly in the first).
  struct Spread {
    int first;
    float weight;
    float next_weight;
  };
  static std::vector<Spread> spread(int source, int reduced);

  void reduce_across(const Pixel* row);
  void add_to_output_row(int output_row, float weight);

  DrawnSize drawn_size_;
  Rect drawn_;
  int width_ = 0;
  int height_ = 0;
  int rows_added_ = 0;
  bool unreduced_ = true;
  Surface picture_;  // at the reduced size: the size drawn, or the picture's own along an axis it is enlarged
  std::vector<Spread> across_;
  std::vector<Spread> down_;
  std::vector<float> line_;                // the row being added, reduced across: red, green, blue
  std::vector<std::vector<float>> sums_;  // per output row, while it is incomplete
  std::vector<int> rows_missing_;         // per output row
};

}  // namespace quarlyn
