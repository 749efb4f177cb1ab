// Reading and writing picture files.
//
// `load_picture` reads BMP, GIF (first frame) and JPEG files, recognised by their content, not
// their name. Anything it cannot read (missing, truncated, corrupt, unsupported, or larger than
// the limits below, checked before any allocation) gives nullopt; it never crashes or ends the
// program. `save_picture` writes a 24-bit BMP.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "platform/surface.h"

namespace quarlyn {

// A picture loaded at its own size, and the size any picture is drawn at.
inline constexpr int kMaxPictureSide = 8192;
// A picture loaded at the size it is drawn at is reduced as it is decoded, so it may be far
// larger: up to the largest side a GIF can have, and a pixel count that still decodes in a moment.
inline constexpr int kMaxPictureSideToReduce = 65535;
inline constexpr int64_t kMaxPicturePixelsToReduce = int64_t{1} << 28;

std::optional<Surface> load_picture(const std::string& path);
// The same, from bytes in memory (what `load_picture` reads from the file).
std::optional<Surface> decode_picture(const unsigned char* data, size_t size);

// The size a picture is to be drawn at, given its own size; a side of 0 or less refuses it.
using DrawnSize = std::function<Rect(int width, int height)>;
// The picture scaled smoothly to the size `drawn_size` gives. It is reduced as it is decoded (a
// JPEG first by the decoder itself, to the nearest larger eighth of its size), so a large photo
// never stands whole in memory.
std::optional<Surface> load_picture(const std::string& path, const DrawnSize& drawn_size);
std::optional<Surface> decode_picture(const unsigned char* data, size_t size, const DrawnSize& drawn_size);

bool save_picture(const Surface& picture, const std::string& path);

}  // namespace quarlyn
