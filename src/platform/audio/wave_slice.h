// Which bytes of a decoded wave hold a millisecond range.
//
// Contract: `wave_slice` maps [from_ms, to_ms) onto a buffer of `total_bytes` in `format`: both
// ends are rounded down to whole sample frames and clamped to the buffer, so the slice always
// starts and ends on a frame and lies inside the buffer. An empty or inverted range, a range
// wholly past the end and an unknown format give an empty slice.
#pragma once

#include <cstdint>

namespace quarlyn {

struct AudioFormat {
  int frequency = 0;    // sample frames per second
  int frame_bytes = 0;  // bytes of one frame, all channels
};

struct ByteSlice {
  uint32_t offset = 0;
  uint32_t length = 0;
};

ByteSlice wave_slice(int32_t from_ms, int32_t to_ms, AudioFormat format, uint32_t total_bytes);

}  // namespace quarlyn
