#include "platform/picture_files.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <random>
#include <vector>

#include "support/gif_writer.h"
#include "support/jpeg_writer.h"
#include "support/temp_folder.h"

namespace quarlyn {
namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<unsigned char>;

// Small pictures made once with ImageMagick: a 4x3 GIF of red, green, blue and white diagonals;
// an interlaced 2x9 GIF with one colour a row; a 16x8 JPEG of two 8x8 blocks, rgb(200, 30, 40)
// left and rgb(20, 60, 220) right; and that first colour as an 8x8 grey JPEG and an 8x8 CMYK JPEG.
const Bytes kGif4x3 = {0x47, 0x49, 0x46, 0x38, 0x39, 0x61, 0x04, 0x00, 0x03, 0x00, 0xF1, 0x03, 0x00,
                       0xFF, 0x00, 0x00, 0x00, 0xFF, 0x00, 0x00, 0x00, 0xFF, 0xFF, 0xFF, 0xFF, 0x21,
                       0xF9, 0x04, 0x00, 0x00, 0x00, 0x00, 0x00, 0x2C, 0x00, 0x00, 0x00, 0x00, 0x04,
                       0x00, 0x03, 0x00, 0x00, 0x02, 0x05, 0x44, 0x34, 0x37, 0x80, 0x56, 0x00, 0x3B};
const Bytes kGifInterlaced2x9 = {0x47, 0x49, 0x46, 0x38, 0x39, 0x61, 0x02, 0x00, 0x09, 0x00, 0xF3, 0x00, 0x00, 0x8C,
                                 0x73, 0x2C, 0xA8, 0x57, 0x68, 0x00, 0xFF, 0x00, 0x1C, 0xE3, 0x3C, 0x38, 0xC7, 0x78,
                                 0xC4, 0x3B, 0xA4, 0xE0, 0x1F, 0xE0, 0x54, 0xAB, 0xB4, 0x70, 0x8F, 0xF0, 0x00, 0x00,
                                 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,
                                 0x00, 0x00, 0x00, 0x00, 0x00, 0x21, 0xF9, 0x04, 0x00, 0x00, 0x00, 0x00, 0x00, 0x2C,
                                 0x00, 0x00, 0x00, 0x00, 0x02, 0x00, 0x09, 0x00, 0x40, 0x04, 0x0D, 0x50, 0x08, 0x63,
                                 0x10, 0x22, 0x24, 0x84, 0x31, 0xCE, 0x01, 0x40, 0x51, 0x44, 0x00, 0x3B};
const Bytes kJpegTwoBlocks = {
    0xFF, 0xD8, 0xFF, 0xE0, 0x00, 0x10, 0x4A, 0x46, 0x49, 0x46, 0x00, 0x01, 0x01, 0x00, 0x00, 0x01, 0x00, 0x01, 0x00,
    0x00, 0xFF, 0xDB, 0x00, 0x43, 0x00, 0x02, 0x01, 0x01, 0x01, 0x01, 0x01, 0x02, 0x01, 0x01, 0x01, 0x02, 0x02, 0x02,
    0x02, 0x02, 0x04, 0x03, 0x02, 0x02, 0x02, 0x02, 0x05, 0x04, 0x04, 0x03, 0x04, 0x06, 0x05, 0x06, 0x06, 0x06, 0x05,
    0x06, 0x06, 0x06, 0x07, 0x09, 0x08, 0x06, 0x07, 0x09, 0x07, 0x06, 0x06, 0x08, 0x0B, 0x08, 0x09, 0x0A, 0x0A, 0x0A,
    0x0A, 0x0A, 0x06, 0x08, 0x0B, 0x0C, 0x0B, 0x0A, 0x0C, 0x09, 0x0A, 0x0A, 0x0A, 0xFF, 0xDB, 0x00, 0x43, 0x01, 0x02,
    0x02, 0x02, 0x02, 0x02, 0x02, 0x05, 0x03, 0x03, 0x05, 0x0A, 0x07, 0x06, 0x07, 0x0A, 0x0A, 0x0A, 0x0A, 0x0A, 0x0A,
    0x0A, 0x0A, 0x0A, 0x0A, 0x0A, 0x0A, 0x0A, 0x0A, 0x0A, 0x0A, 0x0A, 0x0A, 0x0A, 0x0A, 0x0A, 0x0A, 0x0A, 0x0A, 0x0A,
    0x0A, 0x0A, 0x0A, 0x0A, 0x0A, 0x0A, 0x0A, 0x0A, 0x0A, 0x0A, 0x0A, 0x0A, 0x0A, 0x0A, 0x0A, 0x0A, 0x0A, 0x0A, 0x0A,
    0x0A, 0x0A, 0x0A, 0x0A, 0x0A, 0x0A, 0xFF, 0xC0, 0x00, 0x11, 0x08, 0x00, 0x08, 0x00, 0x10, 0x03, 0x01, 0x11, 0x00,
    0x02, 0x11, 0x01, 0x03, 0x11, 0x01, 0xFF, 0xC4, 0x00, 0x15, 0x00, 0x01, 0x01, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,
    0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x07, 0x08, 0xFF, 0xC4, 0x00, 0x14, 0x10, 0x01, 0x00, 0x00, 0x00,
    0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0xFF, 0xC4, 0x00, 0x15, 0x01, 0x01,
    0x01, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x09, 0x07, 0xFF, 0xC4,
    0x00, 0x14, 0x11, 0x01, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,
    0x00, 0xFF, 0xDA, 0x00, 0x0C, 0x03, 0x01, 0x00, 0x02, 0x11, 0x03, 0x11, 0x00, 0x3F, 0x00, 0x91, 0xD1, 0xF2, 0xA0,
    0x3F, 0x37, 0x80, 0xAD, 0xFF, 0xD9};
const Bytes kJpegGrey = {
    0xFF, 0xD8, 0xFF, 0xE0, 0x00, 0x10, 0x4A, 0x46, 0x49, 0x46, 0x00, 0x01, 0x01, 0x00, 0x00, 0x01, 0x00, 0x01,
    0x00, 0x00, 0xFF, 0xDB, 0x00, 0x43, 0x00, 0x02, 0x01, 0x01, 0x01, 0x01, 0x01, 0x02, 0x01, 0x01, 0x01, 0x02,
    0x02, 0x02, 0x02, 0x02, 0x04, 0x03, 0x02, 0x02, 0x02, 0x02, 0x05, 0x04, 0x04, 0x03, 0x04, 0x06, 0x05, 0x06,
    0x06, 0x06, 0x05, 0x06, 0x06, 0x06, 0x07, 0x09, 0x08, 0x06, 0x07, 0x09, 0x07, 0x06, 0x06, 0x08, 0x0B, 0x08,
    0x09, 0x0A, 0x0A, 0x0A, 0x0A, 0x0A, 0x06, 0x08, 0x0B, 0x0C, 0x0B, 0x0A, 0x0C, 0x09, 0x0A, 0x0A, 0x0A, 0xFF,
    0xC0, 0x00, 0x0B, 0x08, 0x00, 0x08, 0x00, 0x08, 0x01, 0x01, 0x11, 0x00, 0xFF, 0xC4, 0x00, 0x14, 0x00, 0x01,
    0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x08, 0xFF, 0xC4,
    0x00, 0x14, 0x10, 0x01, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,
    0x00, 0x00, 0xFF, 0xDA, 0x00, 0x08, 0x01, 0x01, 0x00, 0x00, 0x3F, 0x00, 0x05, 0xBF, 0xFF, 0xD9};
const Bytes kJpegCmyk = {
    0xFF, 0xD8, 0xFF, 0xEE, 0x00, 0x0E, 0x41, 0x64, 0x6F, 0x62, 0x65, 0x00, 0x64, 0x00, 0x00, 0x00, 0x00, 0x02, 0xFF,
    0xDB, 0x00, 0x43, 0x00, 0x02, 0x01, 0x01, 0x01, 0x01, 0x01, 0x02, 0x01, 0x01, 0x01, 0x02, 0x02, 0x02, 0x02, 0x02,
    0x04, 0x03, 0x02, 0x02, 0x02, 0x02, 0x05, 0x04, 0x04, 0x03, 0x04, 0x06, 0x05, 0x06, 0x06, 0x06, 0x05, 0x06, 0x06,
    0x06, 0x07, 0x09, 0x08, 0x06, 0x07, 0x09, 0x07, 0x06, 0x06, 0x08, 0x0B, 0x08, 0x09, 0x0A, 0x0A, 0x0A, 0x0A, 0x0A,
    0x06, 0x08, 0x0B, 0x0C, 0x0B, 0x0A, 0x0C, 0x09, 0x0A, 0x0A, 0x0A, 0xFF, 0xDB, 0x00, 0x43, 0x01, 0x02, 0x02, 0x02,
    0x02, 0x02, 0x02, 0x05, 0x03, 0x03, 0x05, 0x0A, 0x07, 0x06, 0x07, 0x0A, 0x0A, 0x0A, 0x0A, 0x0A, 0x0A, 0x0A, 0x0A,
    0x0A, 0x0A, 0x0A, 0x0A, 0x0A, 0x0A, 0x0A, 0x0A, 0x0A, 0x0A, 0x0A, 0x0A, 0x0A, 0x0A, 0x0A, 0x0A, 0x0A, 0x0A, 0x0A,
    0x0A, 0x0A, 0x0A, 0x0A, 0x0A, 0x0A, 0x0A, 0x0A, 0x0A, 0x0A, 0x0A, 0x0A, 0x0A, 0x0A, 0x0A, 0x0A, 0x0A, 0x0A, 0x0A,
    0x0A, 0x0A, 0x0A, 0x0A, 0xFF, 0xC0, 0x00, 0x14, 0x08, 0x00, 0x08, 0x00, 0x08, 0x04, 0x01, 0x11, 0x00, 0x02, 0x11,
    0x01, 0x03, 0x11, 0x01, 0x04, 0x11, 0x00, 0xFF, 0xC4, 0x00, 0x15, 0x00, 0x01, 0x01, 0x00, 0x00, 0x00, 0x00, 0x00,
    0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x07, 0x09, 0xFF, 0xC4, 0x00, 0x14, 0x10, 0x01, 0x00, 0x00,
    0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0xFF, 0xC4, 0x00, 0x15, 0x01,
    0x01, 0x01, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x07, 0x09, 0xFF,
    0xC4, 0x00, 0x14, 0x11, 0x01, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,
    0x00, 0x00, 0xFF, 0xDA, 0x00, 0x0E, 0x04, 0x01, 0x00, 0x02, 0x11, 0x03, 0x11, 0x04, 0x00, 0x00, 0x3F, 0x00, 0x5C,
    0x3C, 0x22, 0x9A, 0x90, 0x3F, 0xFF, 0xD9};

std::optional<Surface> decode(const Bytes& bytes) { return decode_picture(bytes.data(), bytes.size()); }

bool same_pixels(const Surface& a, const Surface& b) {
  if (a.width() != b.width() || a.height() != b.height()) return false;
  for (int y = 0; y < a.height(); ++y) {
    if (!std::equal(a.row(y), a.row(y) + a.width(), b.row(y))) return false;
  }
  return true;
}

void put(Bytes& out, uint32_t value, int bytes) {
  for (int i = 0; i < bytes; ++i) out.push_back(static_cast<unsigned char>(value >> (8 * i)));
}

// The fields of a BMP file worth varying; the rest are written as every writer does.
struct Bmp {
  int32_t width = 1;
  int32_t height = 1;
  uint16_t bits = 24;
  uint32_t compression = 0;
  uint32_t header_size = 40;
  std::vector<uint32_t> masks{};  // written after a 40-byte header, inside longer ones
  std::vector<Pixel> palette{};
  uint32_t colours_used = 0;
  Bytes pixels{};  // rows as stored, padding included

  Bytes file() const {
    const bool core = header_size == 12;
    const size_t masks_after = header_size == 40 ? 4 * masks.size() : 0;
    const size_t offset = 14 + header_size + masks_after + palette.size() * (core ? 3 : 4);
    Bytes out = {'B', 'M'};
    put(out, static_cast<uint32_t>(offset + pixels.size()), 4);
    put(out, 0, 4);
    put(out, static_cast<uint32_t>(offset), 4);
    put(out, header_size, 4);
    put(out, static_cast<uint32_t>(width), core ? 2 : 4);
    put(out, static_cast<uint32_t>(height), core ? 2 : 4);
    put(out, 1, 2);
    put(out, bits, 2);
    if (!core) {
      for (uint32_t field : {compression, static_cast<uint32_t>(pixels.size()), 2835u, 2835u, colours_used, 0u}) {
        put(out, field, 4);
      }
      for (uint32_t mask : masks) put(out, mask, 4);
      out.resize(14 + header_size + masks_after, 0);
    }
    for (Pixel colour : palette) put(out, colour, core ? 3 : 4);
    out.insert(out.end(), pixels.begin(), pixels.end());
    return out;
  }
};

constexpr Pixel kRed = 0xFF0000, kGreen = 0x00FF00, kBlue = 0x0000FF, kWhite = 0xFFFFFF, kBlack = 0;

// Lists the pixels row by row, top row first.
std::vector<Pixel> pixels_of(const Surface& picture) {
  std::vector<Pixel> all;
  for (int y = 0; y < picture.height(); ++y) all.insert(all.end(), picture.row(y), picture.row(y) + picture.width());
  return all;
}

std::vector<Pixel> decoded_pixels(const Bmp& bmp) {
  const std::optional<Surface> picture = decode(bmp.file());
  if (!picture) return {};
  EXPECT_EQ(picture->width(), bmp.width);
  EXPECT_EQ(picture->height(), std::abs(bmp.height));
  return pixels_of(*picture);
}

TEST(BmpPictureTest, ReadsPalettizedDepthsInBothRowOrders) {
  Bmp bmp{.width = 3, .height = 2, .bits = 8, .palette = {kRed, kGreen, kBlue, kWhite}};
  bmp.pixels = {0, 1, 2, 0, /* top: */ 3, 0, 1, 0};
  EXPECT_EQ(decoded_pixels(bmp), (std::vector<Pixel>{kWhite, kRed, kGreen, kRed, kGreen, kBlue}));
  bmp.height = -2;
  EXPECT_EQ(decoded_pixels(bmp), (std::vector<Pixel>{kRed, kGreen, kBlue, kWhite, kRed, kGreen}));

  const Bmp one_bit{.width = 10, .bits = 1, .palette = {kBlack, kWhite}, .pixels = {0b10110000, 0b01000000, 0, 0}};
  EXPECT_EQ(decoded_pixels(one_bit),
            (std::vector<Pixel>{kWhite, kBlack, kWhite, kWhite, kBlack, kBlack, kBlack, kBlack, kBlack, kWhite}));
  const Bmp four_bit{.width = 3, .bits = 4, .palette = {kBlack, kRed, kGreen, kBlue}, .pixels = {0x12, 0x30, 0, 0}};
  EXPECT_EQ(decoded_pixels(four_bit), (std::vector<Pixel>{kRed, kGreen, kBlue}));
  // An index past the colours the file lists shows black.
  const Bmp short_palette{.width = 2, .bits = 8, .palette = {kRed, kGreen}, .colours_used = 2, .pixels = {1, 7, 0, 0}};
  EXPECT_EQ(decoded_pixels(short_palette), (std::vector<Pixel>{kGreen, kBlack}));
}

TEST(BmpPictureTest, ReadsDirectColourDepthsAndMasks) {
  const Bmp true_colour{.width = 3, .height = 2, .pixels = {1,  2,  3,  4,  5,  6,  7,  8,  9,  0, 0, 0,  // bottom row
                                                            10, 11, 12, 13, 14, 15, 16, 17, 18, 0, 0, 0}};
  EXPECT_EQ(decoded_pixels(true_colour),
            (std::vector<Pixel>{0x0C0B0A, 0x0F0E0D, 0x121110, 0x030201, 0x060504, 0x090807}));
  // The fourth byte of each pixel is ignored.
  const Bmp thirty_two{
      .width = 2, .height = -1, .bits = 32, .pixels = {0x33, 0x22, 0x11, 0x80, 0xCC, 0xBB, 0xAA, 0xFF}};
  EXPECT_EQ(decoded_pixels(thirty_two), (std::vector<Pixel>{0x112233, 0xAABBCC}));
  const Bmp five_five_five{.width = 3, .bits = 16, .pixels = {0x00, 0x7C, 0xE0, 0x03, 0x10, 0x00, 0, 0}};
  EXPECT_EQ(decoded_pixels(five_five_five), (std::vector<Pixel>{kRed, kGreen, rgb(0, 0, 132)}));
  const Bmp five_six_five{.width = 3,
                          .bits = 16,
                          .compression = 3,
                          .masks = {0xF800, 0x07E0, 0x001F},
                          .pixels = {0x00, 0xF8, 0xE0, 0x07, 0x1F, 0x00, 0, 0}};
  EXPECT_EQ(decoded_pixels(five_six_five), (std::vector<Pixel>{kRed, kGreen, kBlue}));
  // A version 5 header with its masks inside, here in red-green-blue-alpha byte order.
  const Bmp version_five{.width = 1,
                         .bits = 32,
                         .compression = 3,
                         .header_size = 124,
                         .masks = {0x000000FF, 0x0000FF00, 0x00FF0000},
                         .pixels = {0x11, 0x22, 0x33, 0x44}};
  EXPECT_EQ(decoded_pixels(version_five), (std::vector<Pixel>{0x112233}));
  const Bmp core{
      .width = 2, .height = 1, .bits = 8, .header_size = 12, .palette = {kBlue, kWhite}, .pixels = {1, 0, 0, 0}};
  EXPECT_EQ(decoded_pixels(core), (std::vector<Pixel>{kWhite, kBlue}));
}

TEST(BmpPictureTest, RefusesImpossibleSizesAndLayouts) {
  const Bmp fine{.width = 2, .height = 2, .pixels = Bytes(16, 0x40)};
  ASSERT_TRUE(decode(fine.file()));
  for (auto [width, height] :
       {std::pair{100000, 100000}, {0, 2}, {2, 0}, {-2, 2}, {2, INT32_MIN}, {INT32_MIN, 2}, {2, 3}, {3, 2}}) {
    Bmp bmp = fine;
    bmp.width = width;
    bmp.height = height;
    EXPECT_FALSE(decode(bmp.file())) << width << "x" << height;
  }
  const auto refused = [&](auto change) {
    Bmp bmp = fine;
    change(bmp);
    return !decode(bmp.file());
  };
  EXPECT_TRUE(refused([](Bmp& b) { b.bits = 7; }));
  EXPECT_TRUE(refused([](Bmp& b) { b.compression = 1; }));  // run-length encoded
  EXPECT_TRUE(refused([](Bmp& b) { b.header_size = 20; }));
  EXPECT_TRUE(refused([](Bmp& b) { b.compression = 3; }));  // masks on a 24-bit file
  for (unsigned char offset : {0x00, 0x20, 0xFF}) {
    Bytes moved = fine.file();
    moved[10] = moved[11] = moved[12] = moved[13] = offset;  // inside the headers or far beyond the end
    EXPECT_FALSE(decode(moved)) << int{offset};
  }

  // The size limit is exact.
  const Bmp widest{.width = kMaxPictureSide, .pixels = Bytes(3 * kMaxPictureSide, 0)};
  EXPECT_TRUE(decode(widest.file()));
  const Bmp too_wide{.width = kMaxPictureSide + 1, .pixels = Bytes(3 * kMaxPictureSide + 4, 0)};
  EXPECT_FALSE(decode(too_wide.file()));
}

TEST(GifPictureTest, ReadsTheFirstFrame) {
  const std::optional<Surface> diagonals = decode(kGif4x3);
  ASSERT_TRUE(diagonals);
  const Pixel order[] = {kRed, kGreen, kBlue, kWhite};
  for (int y = 0; y < 3; ++y) {
    for (int x = 0; x < 4; ++x) EXPECT_EQ(diagonals->pixel(x, y), order[(x + y) % 4]) << x << "," << y;
  }
  const std::optional<Surface> rows = decode(kGifInterlaced2x9);
  ASSERT_TRUE(rows);
  for (int y = 0; y < 9; ++y) {
    const auto level = static_cast<uint8_t>(28 * y);
    EXPECT_EQ(rows->pixel(1, y), rgb(level, static_cast<uint8_t>(255 - level), static_cast<uint8_t>(60 * y % 256)))
        << "row " << y;
  }
}

TEST(GifPictureTest, TransparentPixelsAndALargerScreenAreBlack) {
  Bytes gif = kGif4x3;
  gif[28] |= 1;  // the graphic control block marks index 1, green, transparent
  gif[31] = 1;
  gif[6] = 6;  // logical screen 6 wide
  const std::optional<Surface> picture = decode(gif);
  ASSERT_TRUE(picture);
  EXPECT_EQ(picture->width(), 6);
  EXPECT_EQ(picture->pixel(0, 0), kRed);
  EXPECT_EQ(picture->pixel(1, 0), kBlack);
  EXPECT_EQ(picture->pixel(5, 2), kBlack);

  Bytes too_wide = kGif4x3;
  too_wide[6] = 0x01;  // 8193
  too_wide[7] = 0x20;
  EXPECT_FALSE(decode(too_wide));
}

TEST(JpegPictureTest, ReadsColourGreyAndCmykFiles) {
  const std::optional<Surface> blocks = decode(kJpegTwoBlocks);
  ASSERT_TRUE(blocks);
  ASSERT_EQ(blocks->width(), 16);
  ASSERT_EQ(blocks->height(), 8);
  const auto near = [](Pixel actual, Pixel expected) {
    for (int shift : {0, 8, 16}) {
      if (std::abs(static_cast<int>((actual >> shift) & 0xFF) - static_cast<int>((expected >> shift) & 0xFF)) > 6) {
        return false;
      }
    }
    return true;
  };
  for (int y = 0; y < 8; ++y) {
    EXPECT_PRED2(near, blocks->pixel(2, y), rgb(200, 30, 40));
    EXPECT_PRED2(near, blocks->pixel(13, y), rgb(20, 60, 220));
  }
  const std::optional<Surface> grey = decode(kJpegGrey);
  ASSERT_TRUE(grey);
  EXPECT_PRED2(near, grey->pixel(4, 4), rgb(67, 67, 67));
  const std::optional<Surface> cmyk = decode(kJpegCmyk);
  ASSERT_TRUE(cmyk);
  EXPECT_PRED2(near, cmyk->pixel(4, 4), rgb(200, 30, 40));
}

// The bytes a complete file cannot do without: a BMP's last row may lack its padding, and a GIF
// read for its first frame needs no closing byte.
TEST(PictureFilesTest, PicturesLoadScaledToTheSizeTheyAreDrawnAt) {
  const testing::TempFolder folder;
  const uint8_t red[3] = {220, 20, 20};
  const uint8_t blue[3] = {20, 20, 220};
  const std::string jpeg = (folder.path() / "photo.jpg").string();
  ASSERT_TRUE(testing::write_two_colour_jpeg(jpeg, 1600, 808, red, blue));
  const std::string bmp = (folder.path() / "small.bmp").string();
  ASSERT_TRUE(save_picture(Surface(4, 2, rgb(0, 200, 0)), bmp));
  Rect seen;
  const auto at_320_by_200 = [&](int width, int height) {
    seen = {0, 0, width, height};
    return Rect{0, 0, 320, 200};
  };
  const std::optional<Surface> photo = load_picture(jpeg, at_320_by_200);
  ASSERT_TRUE(photo);
  EXPECT_EQ(seen.width, 1600) << "the size asked for is the picture's own";
  EXPECT_EQ(seen.height, 808);
  EXPECT_EQ(photo->width(), 320);
  EXPECT_EQ(photo->height(), 200);
  EXPECT_NEAR(static_cast<int>(photo->pixel(10, 100) >> 16), 220, 8);
  EXPECT_NEAR(static_cast<int>(photo->pixel(310, 100) & 0xFF), 220, 8);
  const std::optional<Surface> enlarged = load_picture(bmp, at_320_by_200);
  ASSERT_TRUE(enlarged);
  EXPECT_EQ(enlarged->pixel(319, 199), rgb(0, 200, 0));
  EXPECT_FALSE(load_picture(jpeg, [](int, int) { return Rect{0, 0, 0, 10}; }));
  std::filesystem::resize_file(jpeg, std::filesystem::file_size(jpeg) / 2);
  EXPECT_FALSE(load_picture(jpeg, at_320_by_200)) << "a file that ends early";
}

// A 9000x1000 panorama in quadrants, red top left and bottom right, blue elsewhere (a JPEG in two
// halves, red and blue), drawn at 64x48: every format is reduced as it is read, a BMP bottom row
// first and a GIF in interlaced passes.
TEST(PictureFilesTest, PicturesWiderThanAnyScreenLoadAtTheSizeDrawn) {
  constexpr int kWidth = 9000, kHeight = 1000;
  const auto blue_at = [](int x, int y) { return (x < kWidth / 2) != (y < kHeight / 2); };
  const testing::TempFolder folder;
  Bmp bmp{.width = kWidth, .height = kHeight, .bits = 1, .palette = {kRed, kBlue}};
  const size_t stride = (kWidth / 8 + 3) / 4 * 4;
  bmp.pixels.resize(stride * kHeight);
  for (int y = 0; y < kHeight; ++y) {
    for (int x = 0; x < kWidth; ++x) {
      if (blue_at(x, y)) bmp.pixels[stride * (kHeight - 1 - y) + x / 8] |= static_cast<unsigned char>(0x80 >> (x % 8));
    }
  }
  const std::string gif = (folder.path() / "panorama.gif").string();
  ASSERT_TRUE(testing::write_gif(gif, kWidth, kHeight, {kRed, kBlue}, blue_at, true));
  const std::string jpeg = (folder.path() / "panorama.jpg").string();
  const uint8_t red[3] = {255, 0, 0};
  const uint8_t blue[3] = {0, 0, 255};
  ASSERT_TRUE(testing::write_two_colour_jpeg(jpeg, kWidth, kHeight, red, blue));

  const auto at_64_by_48 = [](int, int) { return Rect{0, 0, 64, 48}; };
  const Bytes bmp_file = bmp.file();
  for (const auto& [name, picture] : {std::pair{"BMP", decode_picture(bmp_file.data(), bmp_file.size(), at_64_by_48)},
                                      {"GIF", load_picture(gif, at_64_by_48)}}) {
    ASSERT_TRUE(picture) << name;
    ASSERT_EQ(picture->width(), 64) << name;
    ASSERT_EQ(picture->height(), 48) << name;
    EXPECT_EQ(picture->pixel(16, 12), kRed) << name;
    EXPECT_EQ(picture->pixel(48, 12), kBlue) << name;
    EXPECT_EQ(picture->pixel(16, 36), kBlue) << name;
    EXPECT_EQ(picture->pixel(48, 36), kRed) << name;
  }
  const std::optional<Surface> photo = load_picture(jpeg, at_64_by_48);
  ASSERT_TRUE(photo);
  EXPECT_NEAR(static_cast<int>(photo->pixel(16, 24) >> 16), 255, 8);
  EXPECT_NEAR(static_cast<int>(photo->pixel(48, 24) & 0xFF), 255, 8);
}

TEST(PictureFilesTest, TruncatedFilesAreRefused) {
  const Bmp bmp{.width = 3, .height = 2, .pixels = Bytes(24, 0x55)};
  const std::pair<Bytes, size_t> files[] = {{bmp.file(), 3},     {kGif4x3, 1},   {kGifInterlaced2x9, 1},
                                            {kJpegTwoBlocks, 0}, {kJpegGrey, 0}, {kJpegCmyk, 0}};
  for (const auto& [file, optional_tail] : files) {
    ASSERT_TRUE(decode(file));
    for (size_t length = 0; length + optional_tail < file.size(); ++length) {
      const Bytes prefix(file.begin(), file.begin() + static_cast<std::ptrdiff_t>(length));
      EXPECT_FALSE(decode(prefix)) << "file of " << file.size() << " bytes cut to " << length;
    }
  }
}

// Damaged files may decode to something or nothing, but never beyond the size limit; the
// sanitizers watch the reading itself.
TEST(PictureFilesTest, DamagedAndRandomBytesAreHandled) {
  const auto check = [](const Bytes& bytes) {
    const std::optional<Surface> picture = decode(bytes);
    if (picture) {
      EXPECT_GT(picture->width(), 0);
      EXPECT_LE(picture->width(), kMaxPictureSide);
      EXPECT_LE(picture->height(), kMaxPictureSide);
    }
  };
  const Bmp bmp{.width = 2, .height = -2, .bits = 8, .palette = {kRed, kBlue}, .pixels = {0, 1, 0, 0, 1, 0, 0, 0}};
  for (const Bytes& file : {bmp.file(), kGif4x3, kGifInterlaced2x9, kJpegTwoBlocks, kJpegGrey, kJpegCmyk}) {
    for (size_t at = 0; at < file.size(); ++at) {
      for (unsigned char flip : {0x01, 0x80, 0xFF}) {
        Bytes damaged = file;
        damaged[at] ^= flip;
        check(damaged);
      }
    }
  }
  std::mt19937 random(7);
  for (const Bytes& magic : {Bytes{'B', 'M'}, Bytes{'G', 'I', 'F', '8', '9', 'a'}, Bytes{0xFF, 0xD8, 0xFF}, Bytes{}}) {
    for (int i = 0; i < 300; ++i) {
      Bytes bytes = magic;
      const size_t length = random() % 200;
      while (bytes.size() < length) bytes.push_back(static_cast<unsigned char>(random()));
      check(bytes);
    }
  }
  EXPECT_FALSE(decode_picture(nullptr, 0));
}

TEST(PictureFilesTest, SavedPicturesLoadBackExactly) {
  testing::TempFolder folder;
  std::mt19937 random(11);
  for (auto [width, height] : {std::pair{1, 1}, {2, 3}, {3, 2}, {5, 4}, {7, 1}, {1, 7}, {640, 3}}) {
    Surface picture(width, height);
    for (int y = 0; y < height; ++y) {
      for (int x = 0; x < width; ++x) picture.set_pixel(x, y, random() & 0xFFFFFF);
    }
    const std::string path = (folder.path() / "picture.bmp").string();
    ASSERT_TRUE(save_picture(picture, path));
    const std::optional<Surface> loaded = load_picture(path);
    ASSERT_TRUE(loaded) << width << "x" << height;
    EXPECT_TRUE(same_pixels(*loaded, picture)) << width << "x" << height;
  }
  // Replacing leaves only the file itself behind.
  EXPECT_EQ(std::distance(fs::directory_iterator(folder.path()), fs::directory_iterator()), 1);
}

// Other programs read what we save: a plain 24-bit file, rows bottom first, padded to four bytes.
TEST(PictureFilesTest, SavesAPlainBottomUpTwentyFourBitBmp) {
  testing::TempFolder folder;
  Surface picture(3, 2, 0x112233);
  picture.set_pixel(0, 1, 0xAABBCC);
  const std::string path = (folder.path() / "plain.bmp").string();
  ASSERT_TRUE(save_picture(picture, path));
  std::ifstream in(path, std::ios::binary);
  const Bytes bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  ASSERT_EQ(bytes.size(), 54u + 2 * 12);
  EXPECT_EQ(bytes[14], 40);  // header size
  EXPECT_EQ(bytes[22], 2);   // positive height: bottom-up
  EXPECT_EQ(bytes[28], 24);
  EXPECT_EQ(Bytes(bytes.begin() + 54, bytes.begin() + 57), (Bytes{0xCC, 0xBB, 0xAA}));
}

TEST(PictureFilesTest, FailuresReportFalseOrNothing) {
  testing::TempFolder folder;
  EXPECT_FALSE(save_picture(Surface(), (folder.path() / "empty.bmp").string()));
  EXPECT_FALSE(save_picture(Surface(2, 2), (folder.path() / "missing" / "a.bmp").string()));
  EXPECT_TRUE(fs::is_empty(folder.path()));

  EXPECT_FALSE(load_picture((folder.path() / "absent.bmp").string()));
  EXPECT_FALSE(load_picture(folder.file("empty.bmp", 0)));
  EXPECT_FALSE(load_picture(folder.file("text.bmp", 100)));
  EXPECT_FALSE(load_picture(folder.path().string()));
}

}  // namespace
}  // namespace quarlyn
