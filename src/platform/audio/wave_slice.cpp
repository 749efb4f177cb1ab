#include "platform/audio/wave_slice.h"

#include <algorithm>

namespace quarlyn {

ByteSlice wave_slice(int32_t from_ms, int32_t to_ms, AudioFormat format, uint32_t total_bytes) {
  if (format.frequency <= 0 || format.frame_bytes <= 0) return {};
  const int64_t frames = total_bytes / format.frame_bytes;
  const auto frame_at = [&](int32_t ms) {
    return std::clamp<int64_t>(int64_t{ms} * format.frequency / 1000, 0, frames);
  };
  const int64_t first = frame_at(from_ms);
  const int64_t last = frame_at(to_ms);
  if (first >= last) return {};
  return {static_cast<uint32_t>(first * format.frame_bytes),
          static_cast<uint32_t>((last - first) * format.frame_bytes)};
}

}  // namespace quarlyn
