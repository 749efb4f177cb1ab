#include "wav_file.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <fstream>
#include <vector>

namespace quarlyn {
namespace {

void put(std::vector<uint8_t>& out, uint32_t value, int bytes) {
  for (int i = 0; i < bytes; ++i) out.push_back(static_cast<uint8_t>(value >> (8 * i)));
}

void put_text(std::vector<uint8_t>& out, const char* text) { out.insert(out.end(), text, text + 4); }

int16_t to_pcm(float sample) {
  return static_cast<int16_t>(std::clamp(std::lround(sample * 32767.0f), -32767L, 32767L));
}

}  // namespace

bool write_wav(const std::string& path, const Stereo& sound) {
  constexpr uint32_t kChannels = 2;
  constexpr uint32_t kBytesPerFrame = kChannels * 2;
  uint32_t data_bytes = static_cast<uint32_t>(sound.frames()) * kBytesPerFrame;
  std::vector<uint8_t> out;
  put_text(out, "RIFF");
  put(out, 36 + data_bytes, 4);
  put_text(out, "WAVE");
  put_text(out, "fmt ");
  put(out, 16, 4);
  put(out, 1, 2);  // PCM
  put(out, kChannels, 2);
  put(out, kSampleRate, 4);
  put(out, kSampleRate * kBytesPerFrame, 4);
  put(out, kBytesPerFrame, 2);
  put(out, 16, 2);
  put_text(out, "data");
  put(out, data_bytes, 4);
  for (size_t i = 0; i < sound.frames(); ++i) {
    put(out, static_cast<uint16_t>(to_pcm(sound.left[i])), 2);
    put(out, static_cast<uint16_t>(to_pcm(sound.right[i])), 2);
  }
  std::ofstream file(path, std::ios::binary);
  file.write(reinterpret_cast<const char*>(out.data()), static_cast<std::streamsize>(out.size()));
  return static_cast<bool>(file);
}

}  // namespace quarlyn
