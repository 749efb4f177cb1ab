// BMP reading: the old 12-byte core header and the 40-byte info header with its later extensions;
// 1, 4 and 8 bit palettes, 16 and 32 bit with default or explicit channel masks, and 24 bit;
// rows bottom-up or top-down. Run-length compressed files are refused. The headers and palette
// are read first, then one row at a time in the file's order.
#include <algorithm>
#include <array>
#include <bit>
#include <cstdint>
#include <vector>

#include "platform/image/picture_decoders.h"

namespace quarlyn {

namespace {

constexpr size_t kFileHeaderSize = 14;
constexpr uint32_t kCoreHeaderSize = 12;
constexpr uint32_t kInfoHeaderSize = 40;
constexpr uint32_t kOs2HeaderSize = 64;
constexpr uint32_t kMaskBytes = 12;
constexpr uint32_t kUncompressed = 0;
constexpr uint32_t kBitFields = 3;
// The longest header, its masks and the largest palette: all that is read before the rows.
constexpr size_t kMostBeforeRows = kFileHeaderSize + 124 + kMaskBytes + 256 * 4;

uint32_t read16(const unsigned char* at) { return at[0] | (uint32_t{at[1]} << 8); }
uint32_t read32(const unsigned char* at) { return read16(at) | (read16(at + 2) << 16); }

// One colour channel given by a bit mask: its value scaled to 0..255.
struct Channel {
  uint32_t mask = 0;
  int shift = 0;
  uint64_t max = 0;

  Channel() = default;
  explicit Channel(uint32_t bits) : mask(bits) {
    if (bits == 0) return;
    shift = std::countr_zero(bits);
    max = bits >> shift;
  }
  Pixel scaled(uint32_t value) const {
    if (max == 0) return 0;
    return static_cast<Pixel>((((value & mask) >> shift) * 255 + max / 2) / max);
  }
};

struct BmpLayout {
  int64_t width = 0;
  int64_t height = 0;
  bool top_down = false;
  uint32_t bits = 0;
  std::array<Channel, 3> channels{};  // red, green, blue
  std::array<Pixel, 256> palette{};   // entries the file lacks stay black
  bool core = false;
  uint32_t colours_used = 0;
  size_t palette_at = 0;  // where the headers (and masks) end
  size_t pixels_at = 0;
  uint64_t stride = 0;
};

bool header_size_known(uint32_t size) {
  switch (size) {
    case 12:
    case 40:
    case 52:
    case 56:
    case 64:
    case 108:
    case 124: return true;
    default: return false;
  }
}

bool depth_known(uint32_t bits, bool core) {
  if (core) return bits == 1 || bits == 4 || bits == 8 || bits == 24;
  return bits == 1 || bits == 4 || bits == 8 || bits == 16 || bits == 24 || bits == 32;
}

// Reads the channel masks: they follow the first 40 header bytes, inside the extended headers
// and right after the plain one.
bool read_masks(const unsigned char* data, size_t size, uint32_t header_size, BmpLayout& layout) {
  const size_t at = kFileHeaderSize + kInfoHeaderSize;
  if (size < at + kMaskBytes) return false;
  for (size_t i = 0; i < 3; ++i) layout.channels[i] = Channel(read32(data + at + 4 * i));
  if (header_size == kInfoHeaderSize) layout.palette_at += kMaskBytes;
  return true;
}

void default_masks(BmpLayout& layout) {
  if (layout.bits == 16) layout.channels = {Channel(0x7C00), Channel(0x03E0), Channel(0x001F)};
  if (layout.bits == 32) layout.channels = {Channel(0xFF0000), Channel(0xFF00), Channel(0xFF)};
}

// The palette lies between the headers and the pixels: core files store three bytes an entry,
// the others four. Writers that list fewer colours than the depth allows without saying so are
// common, so only the entries that fit before the pixels (and in the `size` bytes read) are read.
void read_palette(const unsigned char* data, size_t size, BmpLayout& layout) {
  const size_t limit = size_t{1} << layout.bits;
  const size_t declared = layout.colours_used == 0 || layout.colours_used > limit ? limit : layout.colours_used;
  const size_t entry_size = layout.core ? 3 : 4;
  const size_t entries = std::min(declared, (std::min(layout.pixels_at, size) - layout.palette_at) / entry_size);
  for (size_t i = 0; i < entries; ++i) {
    const unsigned char* entry = data + layout.palette_at + i * entry_size;
    layout.palette[i] = rgb(entry[2], entry[1], entry[0]);
  }
}

bool read_core_header(const unsigned char* data, BmpLayout& layout) {
  const unsigned char* header = data + kFileHeaderSize;
  layout.core = true;
  layout.width = read16(header + 4);
  layout.height = read16(header + 6);
  layout.bits = read16(header + 10);
  return depth_known(layout.bits, true);
}

bool read_info_header(const unsigned char* data, size_t size, uint32_t header_size, BmpLayout& layout) {
  const unsigned char* header = data + kFileHeaderSize;
  layout.width = static_cast<int32_t>(read32(header + 4));
  const int64_t height = static_cast<int32_t>(read32(header + 8));
  layout.top_down = height < 0;
  layout.height = height < 0 ? -height : height;
  layout.bits = read16(header + 14);
  const uint32_t compression = read32(header + 16);
  layout.colours_used = read32(header + 32);
  if (!depth_known(layout.bits, false)) return false;
  if (compression == kBitFields && (layout.bits == 16 || layout.bits == 32) && header_size != kOs2HeaderSize) {
    return read_masks(data, size, header_size, layout);
  }
  default_masks(layout);
  return compression == kUncompressed;
}

// Checks the size against the bytes present; the last row may lack its padding.
bool pixels_fit(uint64_t size, BmpLayout& layout) {
  if (layout.width <= 0 || layout.height <= 0) return false;
  if (layout.pixels_at < layout.palette_at || layout.pixels_at > size) return false;
  const uint64_t row_bits = static_cast<uint64_t>(layout.width) * layout.bits;
  layout.stride = (row_bits + 31) / 32 * 4;
  const uint64_t needed = layout.stride * static_cast<uint64_t>(layout.height - 1) + (row_bits + 7) / 8;
  return needed <= size - layout.pixels_at;
}

// `data` holds the file's first `size` bytes, at most kMostBeforeRows; `file_size` is all of it.
std::optional<BmpLayout> read_layout(const unsigned char* data, size_t size, uint64_t file_size) {
  if (size < kFileHeaderSize + 4 || data[0] != 'B' || data[1] != 'M') return std::nullopt;
  const uint32_t header_size = read32(data + kFileHeaderSize);
  if (!header_size_known(header_size) || size < kFileHeaderSize + header_size) return std::nullopt;
  BmpLayout layout;
  layout.pixels_at = read32(data + 10);
  layout.palette_at = kFileHeaderSize + header_size;
  const bool read = header_size == kCoreHeaderSize ? read_core_header(data, layout)
                                                   : read_info_header(data, size, header_size, layout);
  if (!read || !pixels_fit(file_size, layout)) return std::nullopt;
  if (layout.bits <= 8) read_palette(data, size, layout);
  return layout;
}

Pixel masked(const BmpLayout& layout, uint32_t value) {
  return (layout.channels[0].scaled(value) << 16) | (layout.channels[1].scaled(value) << 8) |
         layout.channels[2].scaled(value);
}

void decode_row(const BmpLayout& layout, const unsigned char* in, Pixel* out) {
  const auto width = static_cast<size_t>(layout.width);
  for (size_t x = 0; x < width; ++x) {
    switch (layout.bits) {
      case 1: out[x] = layout.palette[(in[x / 8] >> (7 - x % 8)) & 1]; break;
      case 4: out[x] = layout.palette[(in[x / 2] >> (x % 2 == 0 ? 4 : 0)) & 0x0F]; break;
      case 8: out[x] = layout.palette[in[x]]; break;
      case 16: out[x] = masked(layout, read16(in + 2 * x)); break;
      case 24: out[x] = rgb(in[3 * x + 2], in[3 * x + 1], in[3 * x]); break;
      default: out[x] = masked(layout, read32(in + 4 * x)); break;
    }
  }
}

}  // namespace

bool decode_bmp(PictureBytes& file, PictureCanvas& canvas) {
  const std::span<const unsigned char> head_read = file.read(0, kMostBeforeRows);
  const std::vector<unsigned char> head(head_read.begin(), head_read.end());
  const std::optional<BmpLayout> layout = read_layout(head.data(), head.size(), file.size());
  if (!layout || !canvas.accept(layout->width, layout->height)) return false;
  const auto width = static_cast<int>(layout->width);
  const auto height = static_cast<int>(layout->height);
  canvas.begin(width, height);
  const size_t row_bytes = (static_cast<size_t>(width) * layout->bits + 7) / 8;
  std::vector<Pixel> row(static_cast<size_t>(width));
  for (int r = 0; r < height; ++r) {
    const std::span<const unsigned char> stored =
        file.read(layout->pixels_at + layout->stride * static_cast<uint64_t>(r), row_bytes);
    if (stored.size() != row_bytes) return false;  // the file has shrunk since it was measured
    decode_row(*layout, stored.data(), row.data());
    canvas.add_row(layout->top_down ? r : height - 1 - r, row.data());
  }
  return true;
}

}  // namespace quarlyn
