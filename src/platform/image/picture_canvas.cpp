// Reduction is by area, as `paint_picture` reduces: each output pixel is the average of the
// source pixels it covers, partly covered ones by their share. Along an axis where the picture
// is smaller than drawn it is kept at its own size, and `finish` enlarges it smoothly.
#include "platform/image/picture_canvas.h"

#include <algorithm>
#include <utility>

namespace quarlyn {

namespace {

Pixel to_channel(float value) { return static_cast<Pixel>(std::clamp(static_cast<int>(value + 0.5f), 0, 255)); }

Pixel to_pixel(const float* sums) {
  return (to_channel(sums[0]) << 16) | (to_channel(sums[1]) << 8) | to_channel(sums[2]);
}

}  // namespace

PictureCanvas::PictureCanvas(DrawnSize drawn_size) : drawn_size_(std::move(drawn_size)) {}

bool PictureCanvas::accept(int64_t width, int64_t height) {
  if (width <= 0 || height <= 0) return false;
  if (!reducing()) {
    if (width > kMaxPictureSide || height > kMaxPictureSide) return false;
    drawn_ = {0, 0, static_cast<int>(width), static_cast<int>(height)};
    return true;
  }
  if (width > kMaxPictureSideToReduce || height > kMaxPictureSideToReduce ||
      width * height > kMaxPicturePixelsToReduce) {
    return false;
  }
  drawn_ = drawn_size_(static_cast<int>(width), static_cast<int>(height));
  return drawn_.width > 0 && drawn_.height > 0 && drawn_.width <= kMaxPictureSide && drawn_.height <= kMaxPictureSide;
}

// Positions are counted in units of 1/(source x reduced): a source pixel spans `reduced` of
// them and an output pixel `source`, so every share is exact before it becomes a weight.
std::vector<PictureCanvas::Spread> PictureCanvas::spread(int source, int reduced) {
  std::vector<Spread> spreads(static_cast<size_t>(source));
  for (int64_t j = 0; j < source; ++j) {
    const int64_t start = j * reduced;
    const int64_t end = start + reduced;
    const int64_t first = start / source;
    const int64_t boundary = std::min(end, (first + 1) * source);
    spreads[static_cast<size_t>(j)] = {static_cast<int>(first), static_cast<float>(boundary - start) / source,
                                       static_cast<float>(end - boundary) / source};
  }
  return spreads;
}

void PictureCanvas::begin(int width, int height) {
  width_ = width;
  height_ = height;
  const int reduced_width = std::min(width, drawn_.width);
  const int reduced_height = std::min(height, drawn_.height);
  picture_ = Surface(reduced_width, reduced_height);
  unreduced_ = reduced_width == width && reduced_height == height;
  if (unreduced_) return;
  across_ = spread(width, reduced_width);
  down_ = spread(height, reduced_height);
  line_.resize(3 * static_cast<size_t>(reduced_width));
  sums_.resize(static_cast<size_t>(reduced_height));
  rows_missing_.assign(static_cast<size_t>(reduced_height), 0);
  for (const Spread& row : down_) {
    ++rows_missing_[static_cast<size_t>(row.first)];
    if (row.next_weight > 0.0f) ++rows_missing_[static_cast<size_t>(row.first) + 1];
  }
}

void PictureCanvas::reduce_across(const Pixel* row) {
  std::fill(line_.begin(), line_.end(), 0.0f);
  for (size_t x = 0; x < across_.size(); ++x) {
    const Spread& spread = across_[x];
    const float red = static_cast<float>((row[x] >> 16) & 0xFF);
    const float green = static_cast<float>((row[x] >> 8) & 0xFF);
    const float blue = static_cast<float>(row[x] & 0xFF);
    float* out = line_.data() + 3 * static_cast<size_t>(spread.first);
    out[0] += spread.weight * red;
    out[1] += spread.weight * green;
    out[2] += spread.weight * blue;
    if (spread.next_weight > 0.0f) {
      out[3] += spread.next_weight * red;
      out[4] += spread.next_weight * green;
      out[5] += spread.next_weight * blue;
    }
  }
}

// A complete output row becomes pixels and gives back its sums.
void PictureCanvas::add_to_output_row(int output_row, float weight) {
  const auto at = static_cast<size_t>(output_row);
  std::vector<float>& sums = sums_[at];
  if (sums.empty()) sums.resize(line_.size());
  for (size_t i = 0; i < line_.size(); ++i) sums[i] += weight * line_[i];
  if (--rows_missing_[at] > 0) return;
  Pixel* out = picture_.row(output_row);
  for (size_t x = 0; x < line_.size() / 3; ++x) out[x] = to_pixel(sums.data() + 3 * x);
  std::vector<float>().swap(sums);
}

void PictureCanvas::add_row(int y, const Pixel* row) {
  ++rows_added_;
  if (unreduced_) {
    std::copy(row, row + width_, picture_.row(y));
    return;
  }
  reduce_across(row);
  const Spread& spread = down_[static_cast<size_t>(y)];
  add_to_output_row(spread.first, spread.weight);
  if (spread.next_weight > 0.0f) add_to_output_row(spread.first + 1, spread.next_weight);
}

std::optional<Surface> PictureCanvas::finish() {
  if (picture_.empty() || rows_added_ != height_) return std::nullopt;
  if (picture_.width() == drawn_.width && picture_.height() == drawn_.height) return std::move(picture_);
  Surface scaled(drawn_.width, drawn_.height);
  paint_picture(scaled, picture_, 0, 0, drawn_.width, drawn_.height);
  return scaled;
}

}  // namespace quarlyn
