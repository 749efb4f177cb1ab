// The generated default sounds: audio.wav holds the five effects at the millisecond slots the
// game cuts them from, with true silence between them, at levels that leave the music on top;
// every MIDI file is a well-formed format-1 file whose chunks account for every byte and whose
// music lasts as long as the game expects.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <fstream>
#include <iterator>
#include <map>
#include <set>
#include <string>
#include <vector>

namespace quarlyn {
namespace {

using Bytes = std::vector<uint8_t>;

Bytes read_file(const std::string& name) {
  std::ifstream file(std::string(QUARLYN_BUILD_DATA_DIR) + name, std::ios::binary);
  EXPECT_TRUE(file.good()) << name;
  return Bytes(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

uint32_t little(const Bytes& bytes, size_t at, int count) {
  uint32_t value = 0;
  for (int i = count - 1; i >= 0; --i) value = value << 8 | bytes.at(at + static_cast<size_t>(i));
  return value;
}

uint32_t big(const Bytes& bytes, size_t at, int count) {
  uint32_t value = 0;
  for (int i = 0; i < count; ++i) value = value << 8 | bytes.at(at + static_cast<size_t>(i));
  return value;
}

bool tag_at(const Bytes& bytes, size_t at, const char* tag) {
  return at + 4 <= bytes.size() && std::equal(tag, tag + 4, bytes.begin() + static_cast<long>(at));
}

struct Wave {
  int channels = 0;
  uint32_t rate = 0;
  std::vector<int16_t> samples;  // interleaved

  size_t frame(double ms) const { return static_cast<size_t>(ms * rate / 1000); }
  // Largest magnitude over the frames from `begin_ms` up to `end_ms`.
  int peak(double begin_ms, double end_ms) const {
    int peak = 0;
    size_t end = std::min(frame(end_ms) * static_cast<size_t>(channels), samples.size());
    for (size_t i = frame(begin_ms) * static_cast<size_t>(channels); i < end; ++i)
      peak = std::max(peak, std::abs(int{samples[i]}));
    return peak;
  }
};

// Walks the RIFF chunks for "fmt " (which must say 16-bit PCM) and "data".
Wave parse_wave(const Bytes& bytes) {
  Wave wave;
  EXPECT_TRUE(tag_at(bytes, 0, "RIFF") && tag_at(bytes, 8, "WAVE"));
  for (size_t at = 12; at + 8 <= bytes.size(); at += 8 + little(bytes, at + 4, 4) + (little(bytes, at + 4, 4) & 1)) {
    uint32_t size = little(bytes, at + 4, 4);
    if (tag_at(bytes, at, "fmt ")) {
      EXPECT_EQ(little(bytes, at + 8, 2), 1u) << "PCM";
      EXPECT_EQ(little(bytes, at + 22, 2), 16u) << "bits per sample";
      wave.channels = static_cast<int>(little(bytes, at + 10, 2));
      wave.rate = little(bytes, at + 12, 4);
    } else if (tag_at(bytes, at, "data")) {
      for (size_t i = at + 8; i + 1 < at + 8 + size && i + 1 < bytes.size(); i += 2) {
        wave.samples.push_back(static_cast<int16_t>(little(bytes, i, 2)));
      }
    }
  }
  return wave;
}

TEST(DefaultSoundsTest, EffectsSitInTheirSlotsWithSilenceBetween) {
  Wave wave = parse_wave(read_file("audio.wav"));
  ASSERT_TRUE(wave.channels == 1 || wave.channels == 2);
  ASSERT_EQ(wave.rate, 44100u);
  ASSERT_GE(wave.samples.size() / static_cast<size_t>(wave.channels), wave.frame(9800));
  const double slots[][2] = {{0, 180}, {185, 340}, {350, 650}, {680, 2600}, {2700, 9800}};
  for (const auto& slot : slots) {
    EXPECT_GT(wave.peak(slot[0], slot[1]), 1000) << slot[0] << " ms: audible";
    // Cut at its edges, an effect starts and ends quietly instead of with a click.
    EXPECT_LT(wave.peak(slot[0], slot[0] + 0.1), 300) << slot[0] << " ms: fades in";
    EXPECT_LT(wave.peak(slot[1] - 1, slot[1]), 100) << slot[1] << " ms: fades out";
  }
  const double gaps[][2] = {{180, 185}, {340, 350}, {650, 680}, {2600, 2700}};
  for (const auto& gap : gaps) EXPECT_EQ(wave.peak(gap[0], gap[1]), 0) << gap[0] << " ms: silent";
  // The effects sit well below the music, which peaks near -4 dBFS, so that the mix stays below
  // -1 dBFS; the landing sound, heard every second or so, is soft and short.
  const auto sample_at = [](double dbfs) { return std::lround(32767 * std::pow(10.0, dbfs / 20)); };
  EXPECT_LE(wave.peak(0, 10000), sample_at(-12)) << "louder than -12 dBFS";
  EXPECT_LE(wave.peak(350, 650), sample_at(-20)) << "landing louder than -20 dBFS";
  EXPECT_LT(wave.peak(500, 650), sample_at(-60)) << "landing still sounding after 150 ms";
}

// Reads a variable-length quantity and moves `at` past it.
uint32_t variable_length(const Bytes& bytes, size_t& at) {
  uint32_t value = 0;
  uint8_t byte = 0x80;
  for (int count = 0; count < 4 && (byte & 0x80); ++count) {
    byte = bytes.at(at++);
    value = value << 7 | (byte & 0x7f);
  }
  return value;
}

// Steps through one track's events; returns its length in ticks and collects tempo changes.
uint32_t walk_track(const Bytes& bytes, size_t at, size_t end, std::map<uint32_t, uint32_t>& tempi) {
  uint32_t tick = 0;
  uint8_t status = 0;
  bool ended = false;
  while (at < end && !ended) {
    tick += variable_length(bytes, at);
    if (bytes.at(at) & 0x80) status = bytes.at(at++);
    if (status == 0xff) {
      uint8_t type = bytes.at(at++);
      uint32_t length = variable_length(bytes, at);
      if (type == 0x51) tempi[tick] = big(bytes, at, 3);
      ended = type == 0x2f;
      at += length;
    } else if (status == 0xf0 || status == 0xf7) {
      at += variable_length(bytes, at);
    } else {
      at += (status & 0xe0) == 0xc0 ? 1 : 2;  // program change and channel pressure take one byte
    }
  }
  EXPECT_TRUE(ended && at == end) << "track ends with its end-of-track event";
  return tick;
}

double seconds_at(uint32_t tick, const std::map<uint32_t, uint32_t>& tempi, uint32_t division) {
  double seconds = 0;
  uint32_t from = 0;
  uint32_t tempo = 500000;  // the MIDI default, 120 quarters a minute
  for (const auto& [at, micros] : tempi) {
    if (at >= tick) break;
    seconds += static_cast<double>(at - from) * tempo / division / 1e6;
    from = at;
    tempo = micros;
  }
  return seconds + static_cast<double>(tick - from) * tempo / division / 1e6;
}

// Checks the chunk structure and returns the playing time in seconds.
double midi_seconds(const Bytes& bytes) {
  EXPECT_TRUE(tag_at(bytes, 0, "MThd"));
  EXPECT_EQ(big(bytes, 4, 4), 6u);
  EXPECT_EQ(big(bytes, 8, 2), 1u) << "format 1";
  uint32_t tracks = big(bytes, 10, 2);
  uint32_t division = big(bytes, 12, 2);
  EXPECT_GE(tracks, 3u);
  EXPECT_TRUE(division > 0 && division < 0x8000) << "ticks per quarter";
  std::map<uint32_t, uint32_t> tempi;
  uint32_t last_tick = 0;
  uint32_t found = 0;
  size_t at = 14;
  for (; at + 8 <= bytes.size() && tag_at(bytes, at, "MTrk"); ++found) {
    size_t end = at + 8 + big(bytes, at + 4, 4);
    if (end > bytes.size()) break;
    last_tick = std::max(last_tick, walk_track(bytes, at + 8, end, tempi));
    at = end;
  }
  EXPECT_EQ(found, tracks);
  EXPECT_EQ(at, bytes.size()) << "chunk lengths add up to the file size";
  EXPECT_FALSE(tempi.empty());
  return seconds_at(last_tick, tempi, division);
}

TEST(DefaultSoundsTest, MusicFilesAreWellFormedAndLastMinutes) {
  std::set<std::string> distinct;
  for (int index = 0; index <= 10; ++index) {
    std::string name = index == 0 ? "title.mid" : "music" + std::to_string(index) + ".mid";
    Bytes bytes = read_file(name);
    double seconds = midi_seconds(bytes);
    EXPECT_GE(seconds, index == 0 ? 30 : 60) << name;
    EXPECT_LE(seconds, 180) << name;
    distinct.emplace(bytes.begin(), bytes.end());
  }
  EXPECT_EQ(distinct.size(), 11u);
}

}  // namespace
}  // namespace quarlyn
