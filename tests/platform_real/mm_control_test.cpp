// The real multimedia control on SDL_mixer. SDL's "disk" audio driver writes the mixed output
// (16-bit stereo at the device's rate) to a file in real time, which the tests read back.
#include <gtest/gtest.h>
#include <fcntl.h>
#include <stdlib.h>
#include <sys/file.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <optional>
#include <random>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include <sndfile.h>

#include "platform/audio/audio_device.h"
#include "platform/audio/sound_file_check.h"
#include "platform/audio/wave_slice.h"
#include "platform/clock.h"
#include "platform/fltk/real_runtime.h"
#include "platform/mm_control.h"
#include "platform/settings_store.h"
#include "platform/waiting.h"
#include "support/scoped_env.h"
#include "support/temp_folder.h"

namespace quarlyn {
namespace {

constexpr int32_t kPlaying = 526;
constexpr double kOutputFramesPerMs = AudioDevice::kFormat.frequency / 1000.0;

void put_le(std::string& out, uint32_t value, int count) {
  for (int i = 0; i < count; ++i) out += static_cast<char>(value >> (8 * i) & 0xFF);
}

void put_be(std::string& out, uint32_t value, int count) {
  for (int i = count - 1; i >= 0; --i) out += static_cast<char>(value >> (8 * i) & 0xFF);
}

std::string wave_file(const std::string& format_chunk, const std::string& data) {
  std::string file = "RIFF";
  put_le(file, static_cast<uint32_t>(4 + format_chunk.size() + 8 + data.size()), 4);
  file += "WAVE" + format_chunk + "data";
  put_le(file, static_cast<uint32_t>(data.size()), 4);
  return file + data;
}

std::string format_chunk(uint32_t channels, uint32_t rate) {
  std::string chunk = "fmt ";
  put_le(chunk, 16, 4);
  for (const uint32_t value : {1U, channels}) put_le(chunk, value, 2);
  put_le(chunk, rate, 4);
  put_le(chunk, rate * channels * 2, 4);
  for (const uint32_t value : {channels * 2, 16U}) put_le(chunk, value, 2);
  return chunk;
}

// One second of a 440 Hz sine, 16-bit mono at 22050 Hz (so the device converts it), whose
// amplitude steps up every 100 ms: 1000, 2000 ... 10000. How loud a sound plays tells which
// part of the file it came from.
std::string stepped_sine_wave() {
  constexpr int kRate = 22050;
  std::string data;
  for (int i = 0; i < kRate; ++i) {
    const double amplitude = 1000.0 * (i * 10 / kRate + 1);
    const auto sample = static_cast<int16_t>(std::lround(amplitude * std::sin(2 * M_PI * 440 * i / kRate)));
    put_le(data, static_cast<uint16_t>(sample), 2);
  }
  return wave_file(format_chunk(1, kRate), data);
}

// A format-1 MIDI file at 480 ticks a quarter: one track for each string of events, each closed
// by its end-of-track event.
std::string midi_file(const std::vector<std::string>& tracks) {
  std::string file = "MThd";
  const auto count = static_cast<uint32_t>(tracks.size());
  for (const auto& [value, bytes] : {std::pair{6U, 4}, {1U, 2}, {count, 2}, {480U, 2}}) put_be(file, value, bytes);
  for (const std::string& events : tracks) {
    file += "MTrk";
    put_be(file, static_cast<uint32_t>(events.size() + 4), 4);
    file += events + std::string("\x00\xFF\x2F\x00", 4);
  }
  return file;
}

// Four piano quarter notes at 120 beats a minute: two seconds of a rising C major arpeggio.
std::string arpeggio_midi() {
  std::string track;
  for (const char note : {60, 64, 67, 72}) {
    track += std::string{'\x00', '\x90', note, '\x64'};
    track += std::string{'\x83', '\x60', '\x80', note, '\x40'};
  }
  return midi_file({track});
}

// `count` piano notes `ticks` apart, the first at the start; none of them ends.
std::string notes(int count, char ticks) {
  std::string events;
  for (int i = 0; i < count; ++i) {
    events += std::string{i == 0 ? '\0' : ticks, '\x90', static_cast<char>(36 + i % 60), '\x50'};
  }
  return events;
}

using testing::ScopedEnv;

// Frames of the output's left channel louder than a threshold.
struct LoudSpan {
  int64_t first = -1;
  int64_t last = -1;
  double ms() const { return first < 0 ? 0 : (last - first + 1) / kOutputFramesPerMs; }
};

LoudSpan loud_span(const std::vector<int16_t>& samples, int threshold) {
  LoudSpan span;
  for (std::size_t frame = 0; frame * 2 < samples.size(); ++frame) {
    if (std::abs(samples[frame * 2]) <= threshold) continue;
    if (span.first < 0) span.first = static_cast<int64_t>(frame);
    span.last = static_cast<int64_t>(frame);
  }
  return span;
}

int peak(const std::vector<int16_t>& samples, int64_t first_frame, int64_t last_frame) {
  int loudest = 0;
  const int64_t end = std::min<int64_t>(last_frame + 1, std::ssize(samples) / 2);
  for (int64_t frame = std::max<int64_t>(first_frame, 0); frame < end; ++frame) {
    loudest = std::max(loudest, std::abs(static_cast<int>(samples[frame * 2])));
  }
  return loudest;
}

class MMControlTest : public ::testing::Test {
 protected:
  explicit MMControlTest(const std::string& driver = "disk") : driver_("SDL_AUDIODRIVER", driver) {}

  std::string write_file(const std::string& name, const std::string& bytes) {
    const std::string path = (folder_.path() / name).string();
    std::ofstream(path, std::ios::binary) << bytes;
    return path;
  }

  MMControl& open_control(const std::string& device_type, const std::string& path) {
    MMControl& control = *controls_.emplace_back(runtime_->create_mm_control());
    control.DeviceType = device_type;
    control.FileName = path;
    control.Command("Open");
    return control;
  }

  void play(MMControl& control, int32_t from, int32_t to) {
    control.From = from;
    control.To = to;
    control.Command("Play");
  }

  int32_t now() { return runtime_->time_get_time(); }

  void yield_for(int32_t ms) { yield_until_reached(*runtime_, clock_add(now(), ms)); }

  // False when the control still plays after `limit_ms`.
  bool yield_until_stopped(MMControl& control, int32_t limit_ms) {
    const int32_t deadline = clock_add(now(), limit_ms);
    while (control.Mode() != MMControl::kStopped) {
      if (clock_reached(now(), deadline)) return false;
      runtime_->yield_until(clock_add(now(), 5));
    }
    return true;
  }

  // Closing the device flushes the output file; the samples are left, right, left ...
  std::vector<int16_t> output_after_closing() {
    controls_.clear();
    runtime_.reset();
    return output();
  }

  std::vector<int16_t> output() const {
    std::ifstream in(output_file_, std::ios::binary);
    const std::string bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    std::vector<int16_t> samples(bytes.size() / 2);
    std::memcpy(samples.data(), bytes.data(), samples.size() * 2);
    return samples;
  }

  testing::TempFolder folder_;
  std::string output_file_ = (folder_.path() / "output.raw").string();
  ScopedEnv driver_;
  ScopedEnv disk_file_{"SDL_DISKAUDIOFILE", output_file_};
  ScopedEnv cache_home_{"XDG_CACHE_HOME", (folder_.path() / "cache").string()};
  SettingsStore store_{folder_.path() / "settings.ini", "Config"};
  std::string program_ = "quarlyn";
  char* argv_[1] = {program_.data()};
  std::unique_ptr<RealRuntime> runtime_ = std::make_unique<RealRuntime>(1, argv_, "Quarlyn Test", store_);
  std::vector<std::unique_ptr<MMControl>> controls_;
};

TEST_F(MMControlTest, RangePlaysThoseMillisecondsOfTheWaveThenStops) {
  MMControl& control = open_control("WaveAudio", write_file("sine.wav", stepped_sine_wave()));
  const int32_t started = now();
  play(control, 200, 500);
  EXPECT_EQ(control.Mode(), kPlaying);
  ASSERT_TRUE(yield_until_stopped(control, 3000));
  EXPECT_GE(clock_diff(now(), started), 280);

  const std::vector<int16_t> output = output_after_closing();
  const LoudSpan span = loud_span(output, 500);
  EXPECT_NEAR(span.ms(), 300, 25);
  const auto window = static_cast<int64_t>(80 * kOutputFramesPerMs);
  EXPECT_NEAR(peak(output, span.first, span.first + window), 3000, 400);  // 200-300 ms of the file
  EXPECT_NEAR(peak(output, span.last - window, span.last), 5000, 600);    // 400-500 ms
}

TEST_F(MMControlTest, WithoutARangeTheWholeWavePlays) {
  MMControl& control = open_control("waveaudio", write_file("sine.wav", stepped_sine_wave()));
  play(control, 300, 300);
  ASSERT_TRUE(yield_until_stopped(control, 4000));

  const std::vector<int16_t> output = output_after_closing();
  const LoudSpan span = loud_span(output, 500);
  EXPECT_NEAR(span.ms(), 1000, 30);
  EXPECT_NEAR(peak(output, span.last - 2000, span.last), 10000, 1200);
}

TEST_F(MMControlTest, StopCutsOffARange) {
  MMControl& control = open_control("WaveAudio", write_file("sine.wav", stepped_sine_wave()));
  play(control, 0, 1000);
  yield_for(200);
  control.Command("Stop");
  EXPECT_EQ(control.Mode(), MMControl::kStopped);

  const LoudSpan span = loud_span(output_after_closing(), 500);
  EXPECT_GT(span.ms(), 50);
  EXPECT_LT(span.ms(), 500);
}

TEST_F(MMControlTest, RangePastTheEndPlaysNothing) {
  MMControl& control = open_control("WaveAudio", write_file("sine.wav", stepped_sine_wave()));
  play(control, 1500, 2500);
  EXPECT_TRUE(yield_until_stopped(control, 1000));
  EXPECT_LT(loud_span(output_after_closing(), 500).first, 0);
}

TEST_F(MMControlTest, EachWaveControlPlaysOnItsOwnChannel) {
  const std::string path = write_file("sine.wav", stepped_sine_wave());
  MMControl& first = open_control("WaveAudio", path);
  MMControl& second = open_control("WaveAudio", path);
  play(first, 0, 0);
  play(second, 0, 0);
  yield_for(200);
  first.Command("Stop");
  EXPECT_EQ(first.Mode(), MMControl::kStopped);
  EXPECT_EQ(second.Mode(), kPlaying);
}

TEST_F(MMControlTest, MidiTunePlaysUntilItEndsThenStops) {
  MMControl& control = open_control("Sequencer", write_file("tune.mid", arpeggio_midi()));
  const int32_t started = now();
  play(control, 0, 0);
  EXPECT_EQ(control.Mode(), kPlaying);
  ASSERT_TRUE(yield_until_stopped(control, 15000));
  EXPECT_GE(clock_diff(now(), started), 2000);

  EXPECT_GT(loud_span(output_after_closing(), 200).ms(), 1500);
}

std::vector<char> bytes_of(const std::string& text) { return std::vector<char>(text.begin(), text.end()); }

MusicSynth::Tuning device_tuning() { return MusicSynth::Tuning::for_background(AudioDevice::kFormat.frequency); }

void render_and_wait(TuneCache& cache, const std::string& tune) {
  cache.render_later(bytes_of(tune));
  while (cache.rendering()) std::this_thread::sleep_for(std::chrono::milliseconds(20));
}

std::vector<std::string> names_in(const std::filesystem::path& folder) {
  std::vector<std::string> names;
  for (const auto& item : std::filesystem::directory_iterator(folder)) names.push_back(item.path().filename());
  std::sort(names.begin(), names.end());
  return names;
}

// The tune cache of the fixture's runtime.
class TuneCacheTest : public MMControlTest {
 protected:
  const std::filesystem::path folder_of_cache_ = tune_cache_folder("Quarlyn Test");

  std::filesystem::path kept_entry(const std::string& tune) {
    return TuneCache(folder_of_cache_, device_tuning()).kept_entry(bytes_of(tune));
  }

  void play_to_the_end(const std::string& path) {
    MMControl& control = open_control("Sequencer", path);
    play(control, 0, 0);
    ASSERT_TRUE(yield_until_stopped(control, 15000));
  }

  // The entry of `tune` once it is kept; "" when none is kept within `limit_ms`.
  std::filesystem::path yield_until_kept(const std::string& tune, int32_t limit_ms) {
    const int32_t deadline = clock_add(now(), limit_ms);
    while (kept_entry(tune).empty()) {
      if (clock_reached(now(), deadline)) return {};
      runtime_->yield_until(clock_add(now(), 20));
    }
    return kept_entry(tune);
  }
};

// Silence in the cache's format, as long as the entry at `path` was.
void overwrite_with_silence(const std::filesystem::path& path) {
  SF_INFO info{};
  SNDFILE* sound = sf_open(path.c_str(), SFM_READ, &info);
  ASSERT_NE(sound, nullptr);
  sf_close(sound);
  SF_INFO format{};
  format.samplerate = info.samplerate;
  format.channels = 2;
  format.format = SF_FORMAT_OGG | SF_FORMAT_VORBIS;
  sound = sf_open(path.c_str(), SFM_WRITE, &format);
  ASSERT_NE(sound, nullptr);
  const std::vector<int16_t> frames(static_cast<std::size_t>(info.frames) * 2, 0);
  sf_writef_short(sound, frames.data(), info.frames);
  sf_close(sound);
}

TEST_F(TuneCacheTest, ATuneHeardOnceIsKeptAndThenPlayedFromTheCache) {
  const std::string tune = arpeggio_midi();
  const std::string path = write_file("tune.mid", tune);
  play_to_the_end(path);
  const std::filesystem::path entry = yield_until_kept(tune, 10000);
  ASSERT_FALSE(entry.empty());

  // The kept entry is what plays next time: silence instead of the tune.
  overwrite_with_silence(entry);
  const std::size_t heard_once = output().size();
  play_to_the_end(path);
  const std::vector<int16_t> all = output_after_closing();
  EXPECT_LT(loud_span(std::vector<int16_t>(all.begin() + static_cast<std::ptrdiff_t>(heard_once), all.end()), 200).first,
            0);
}

TEST_F(TuneCacheTest, AnEntryCutShortIsRemovedAndTheTunePlaysWhole) {
  const std::string tune = arpeggio_midi();
  const std::string path = write_file("tune.mid", tune);
  play_to_the_end(path);
  const std::filesystem::path entry = yield_until_kept(tune, 10000);
  ASSERT_FALSE(entry.empty());
  const std::uintmax_t cut = std::filesystem::file_size(entry) / 4;
  std::filesystem::resize_file(entry, cut);

  const int32_t started = now();
  play_to_the_end(path);
  EXPECT_GE(clock_diff(now(), started), 2000);
  std::error_code missing;
  EXPECT_NE(std::filesystem::file_size(entry, missing), cut);  // gone, or rendered again
}

// Its header pages cut off, which the decoder cannot read.
TEST_F(TuneCacheTest, ADamagedEntryIsReplacedAndTheTunePlaysMeanwhile) {
  const std::string tune = arpeggio_midi();
  const std::filesystem::path damaged =
      TuneCache(folder_of_cache_, device_tuning()).entry_path(bytes_of(tune), 64000);
  std::filesystem::create_directories(damaged.parent_path());
  std::filesystem::permissions(damaged.parent_path(), std::filesystem::perms(0700));
  {
    SF_INFO format{};
    format.samplerate = AudioDevice::kFormat.frequency;
    format.channels = 2;
    format.format = SF_FORMAT_OGG | SF_FORMAT_VORBIS;
    SNDFILE* sound = sf_open(damaged.c_str(), SFM_WRITE, &format);
    ASSERT_NE(sound, nullptr);
    const std::vector<int16_t> frames(128000, 0);
    sf_writef_short(sound, frames.data(), 64000);
    sf_close(sound);
  }
  std::filesystem::resize_file(damaged, 200);
  play_to_the_end(write_file("tune.mid", tune));
  const std::filesystem::path entry = yield_until_kept(tune, 10000);
  EXPECT_FALSE(std::filesystem::exists(damaged));
  EXPECT_GT(loud_span(output_after_closing(), 200).ms(), 1500);
  SF_INFO info{};
  SNDFILE* sound = sf_open(entry.c_str(), SFM_READ, &info);
  ASSERT_NE(sound, nullptr);
  EXPECT_GT(info.frames, 2 * info.samplerate);
  sf_close(sound);
}

TEST(TuneCache, OnlyItsOwnFilesCountAndGoBeyondTheLimit) {
  testing::TempFolder folder;
  const TuneCache cache(folder.path(), device_tuning(), 2500);
  const auto write = [&](const std::filesystem::path& path, int age_s) {
    std::ofstream(path) << std::string(1000, 'x');
    std::filesystem::last_write_time(path, std::filesystem::file_time_type::clock::now() - std::chrono::seconds(age_s));
  };
  const auto entry = [&](char tune, int age_s) {
    const std::filesystem::path path = cache.entry_path(std::vector<char>{tune}, 64000);
    write(path, age_s);
    return path.filename().string();
  };
  const std::string a = entry('a', 40), b = entry('b', 10), c = entry('c', 30), d = entry('d', 20);
  for (const auto& [name, age] : {std::pair{"my_song_1.ogg", 50}, {"other.txt", 50}, {"render-Stale1", 50},
                                  {"render-Held01", 0}}) {
    write(folder.path() / name, age);
  }
  const int held = open((folder.path() / "render-Held01").c_str(), O_RDONLY | O_CLOEXEC);
  ASSERT_EQ(flock(held, LOCK_EX), 0);
  cache.remove_oldest_beyond_limit();
  close(held);
  std::vector<std::string> kept{b, "my_song_1.ogg", "other.txt", "render-Held01"};
  std::sort(kept.begin(), kept.end());
  EXPECT_EQ(names_in(folder.path()), kept);
}

TEST(TuneCache, EntriesOfTheFormerNameGoAtATrimButNotLookalikes) {
  testing::TempFolder folder;
  const TuneCache cache(folder.path(), device_tuning());
  const std::string key = cache.entry_path(std::vector<char>{'a'}, 64000).filename().string().substr(0, 16);
  std::vector<std::string> kept{"song.ogg", "0123456789ABCDEF.ogg", key + "x.ogg"};
  for (const std::string& name : kept) std::ofstream(folder.path() / name) << "x";
  std::ofstream(folder.path() / (key + ".ogg")) << "x";
  cache.remove_oldest_beyond_limit();
  std::sort(kept.begin(), kept.end());
  EXPECT_EQ(names_in(folder.path()), kept);
}

// A tone whose period divides no block of decoding: a block skipped or repeated shifts its phase.
std::vector<int16_t> tone_frames(int frames, int rate) {
  std::vector<int16_t> samples;
  for (int frame = 0; frame < frames; ++frame) {
    samples.insert(samples.end(), 2, static_cast<int16_t>(8000 * std::sin(2 * M_PI * 441 * frame / rate)));
  }
  return samples;
}

// `samples` as a cache entry would hold them.
std::string entry_bytes(const std::filesystem::path& path, const std::vector<int16_t>& samples, int rate) {
  SF_INFO format{0, rate, 2, SF_FORMAT_OGG | SF_FORMAT_VORBIS, 0, 0};
  SNDFILE* sound = sf_open(path.c_str(), SFM_WRITE, &format);
  sf_writef_short(sound, samples.data(), static_cast<sf_count_t>(samples.size() / 2));
  sf_close(sound);
  std::ifstream file(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(file), {});
}

// All the frames `tune` gives, read in pieces of a mixer buffer's size.
std::vector<int16_t> read_in_pieces(CachedTune& tune) {
  std::vector<int16_t> samples, piece(2 * 1000);
  while (const int got = tune.read(piece.data(), 1000)) {
    samples.insert(samples.end(), piece.begin(), piece.begin() + 2 * got);
  }
  return samples;
}

TEST(CachedTune, ReadsInMixerSizedPiecesGiveTheEntrysFramesInOrder) {
  testing::TempFolder folder;
  const int rate = device_tuning().sample_rate;
  const std::vector<int16_t> written = tone_frames(20000, rate);
  const std::shared_ptr<CachedTune> tune =
      CachedTune::decode(entry_bytes(folder.path() / "tone.ogg", written, rate), rate, 20000);
  ASSERT_NE(tune, nullptr);
  const std::vector<int16_t> read = read_in_pieces(*tune);
  ASSERT_EQ(read.size(), written.size());
  int wrong = 0;
  for (std::size_t sample = 0; sample < read.size(); ++sample) wrong += std::abs(read[sample] - written[sample]) > 400;
  EXPECT_EQ(wrong, 0);
}

TEST(CachedTune, ReadingEndsWhereTheEntryIsDamaged) {
  testing::TempFolder folder;
  const int rate = device_tuning().sample_rate;
  // Noise, so that the sound's pages outweigh the headers, which the damage must leave whole.
  std::minstd_rand random(1);
  std::vector<int16_t> noise(std::size_t{2} * 3 * rate);
  for (int16_t& sample : noise) sample = static_cast<int16_t>(static_cast<int>(random() % 16000) - 8000);
  std::string bytes = entry_bytes(folder.path() / "noise.ogg", noise, rate);
  bytes[bytes.size() / 2] ^= 0x55;
  const std::shared_ptr<CachedTune> damaged = CachedTune::decode(bytes, rate, 3 * rate);
  ASSERT_NE(damaged, nullptr);
  EXPECT_LT(read_in_pieces(*damaged).size(), noise.size() * 2 / 3);
}

TEST(TuneCache, AFolderThatLinksElsewhereIsNeverUsed) {
  testing::TempFolder folder;
  const std::filesystem::path elsewhere = folder.path() / "elsewhere";
  std::filesystem::create_directory(elsewhere);
  std::filesystem::create_directory_symlink(elsewhere, folder.path() / "tunes");
  TuneCache cache(folder.path() / "tunes", device_tuning(), 1);
  const std::string tune = arpeggio_midi();
  std::ofstream(cache.entry_path(bytes_of(tune), 64000)) << "not an entry";
  EXPECT_EQ(cache.open(bytes_of(tune)), nullptr);
  render_and_wait(cache, tune);
  cache.remove_oldest_beyond_limit();
  EXPECT_EQ(names_in(elsewhere), std::vector<std::string>{cache.entry_path(bytes_of(tune), 64000).filename()});
}

// A file-size limit (with its signal ignored) fails the last writes, as a full disk does.
TEST(TuneCache, ARenderCutShortByAFullDiskIsNotKept) {
  testing::TempFolder folder;
  const std::string tune = arpeggio_midi();
  TuneCache cache(folder.path() / "tunes", device_tuning());
  render_and_wait(cache, tune);
  cache.shutdown();  // no thread of ours is copied into the child
  const std::filesystem::path whole = cache.kept_entry(bytes_of(tune));
  ASSERT_FALSE(whole.empty());
  const auto size = static_cast<rlim_t>(std::filesystem::file_size(whole));
  std::filesystem::remove(whole);

  const pid_t child = fork();
  if (child == 0) {
    signal(SIGXFSZ, SIG_IGN);
    const rlimit limit{size - 1000, size - 1000};
    setrlimit(RLIMIT_FSIZE, &limit);
    {
      TuneCache limited(folder.path() / "tunes", device_tuning());
      render_and_wait(limited, tune);
    }
    _exit(0);
  }
  int status = 0;
  ASSERT_EQ(waitpid(child, &status, 0), child);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  EXPECT_EQ(names_in(folder.path() / "tunes"), std::vector<std::string>{});
}

// Twenty-one minutes between a note and the end of its track.
TEST(TuneCache, ATuneLongerThanAnEntryHoldsIsNeverRendered) {
  testing::TempFolder folder;
  TuneCache cache(folder.path() / "tunes", device_tuning());
  const std::string long_rest("\xC9\xEA\x00", 3);  // 1209600 ticks: 21 minutes at 120 beats a minute
  cache.render_later(bytes_of(midi_file({std::string("\x00\x90\x3C\x40", 4) + long_rest + "\x80\x3C\x40"})));
  EXPECT_FALSE(cache.rendering());
}

TEST(MusicSynth, TwoFirstPreparesAtOnceMakeOneSynthesizer) {
  MusicSynth synth(device_tuning());
  std::thread other([&synth] { EXPECT_TRUE(synth.prepare(installed_soundfont())); });
  EXPECT_TRUE(synth.prepare(installed_soundfont()));
  other.join();
  ASSERT_TRUE(synth.play(bytes_of(arpeggio_midi())));
  std::vector<int16_t> frames(2048);
  for (int i = 0; i < 200 && synth.playing(); ++i) synth.render(frames.data(), 1024);
  EXPECT_FALSE(synth.playing());
}

TEST_F(MMControlTest, TheLastTuneStartedOwnsTheMusic) {
  const std::string path = write_file("tune.mid", arpeggio_midi());
  MMControl& first = open_control("Sequencer", path);
  MMControl& second = open_control("Sequencer", path);
  play(first, 0, 0);
  yield_for(500);
  ASSERT_EQ(first.Mode(), kPlaying);
  play(second, 0, 0);
  yield_for(500);
  EXPECT_EQ(first.Mode(), MMControl::kStopped);
  EXPECT_EQ(second.Mode(), kPlaying);
  first.Command("Close");
  first.Command("Stop");
  EXPECT_EQ(second.Mode(), kPlaying);
  second.Command("Stop");
  EXPECT_EQ(second.Mode(), MMControl::kStopped);
}

TEST_F(MMControlTest, StatusUpdateComesEverySecondWhileOpen) {
  MMControl& control = open_control("WaveAudio", write_file("sine.wav", stepped_sine_wave()));
  int updates = 0;
  control.StatusUpdate = [&updates] { ++updates; };
  yield_for(3500);
  EXPECT_GE(updates, 2);
  EXPECT_LE(updates, 4);
  control.Command("Close");
  const int at_close = updates;
  yield_for(1500);
  EXPECT_EQ(updates, at_close);
}

TEST_F(MMControlTest, FilesThatCannotBeOpenedStopAtOnce) {
  const std::string fifo = (folder_.path() / "pipe.mid").string();
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
  const std::string cases[][2] = {
      {"Sequencer", (folder_.path() / "missing.mid").string()},
      {"Sequencer", write_file("garbage.mid", std::string(1000, '\x5A'))},
      {"Sequencer", fifo},
      {"Sequencer", folder_.path().string()},
      {"Sequencer", write_file("sine.wav", stepped_sine_wave())},
      {"WaveAudio", write_file("tune.mid", arpeggio_midi())},
      {"CDAudio", write_file("other.wav", stepped_sine_wave())},
  };
  for (const auto& [device_type, path] : cases) {
    SCOPED_TRACE(device_type + " " + path);
    MMControl& control = open_control(device_type, path);
    play(control, 0, 0);
    EXPECT_EQ(control.Mode(), MMControl::kStopped);
    control.Command("Close");
  }
}

TEST_F(MMControlTest, ABrokenFileBehindAValidSignatureEndsStopped) {
  const std::string midi = arpeggio_midi();
  const std::string wave = stepped_sine_wave();
  MMControl& cut_midi = open_control("Sequencer", write_file("cut.mid", midi.substr(0, midi.size() - 5)));
  MMControl& bad_midi = open_control("Sequencer", write_file("bad.mid", "MThd" + std::string(200, '\xFF')));
  MMControl& bad_wave = open_control("WaveAudio", write_file("bad.wav", wave.substr(0, 12) + std::string(100, '\x7F')));
  for (MMControl* control : {&cut_midi, &bad_midi, &bad_wave}) {
    play(*control, 0, 0);
    EXPECT_TRUE(yield_until_stopped(*control, 1000));
  }
}

TEST_F(MMControlTest, CommandsOnANeverOpenedControlAreHarmless) {
  MMControl& control = *controls_.emplace_back(runtime_->create_mm_control());
  for (const char* command : {"Close", "Stop", "Play", "Pause", "Close"}) control.Command(command);
  EXPECT_EQ(control.Mode(), MMControl::kStopped);
}

TEST_F(MMControlTest, OpeningAgainEndsWhatPlayed) {
  MMControl& control = open_control("WaveAudio", write_file("sine.wav", stepped_sine_wave()));
  play(control, 0, 0);
  yield_for(100);
  control.FileName = (folder_.path() / "missing.wav").string();
  control.Command("Open");
  EXPECT_EQ(control.Mode(), MMControl::kStopped);
  play(control, 0, 0);
  EXPECT_EQ(control.Mode(), MMControl::kStopped);
}

// A million notes at once would keep the synthesizer busy for seconds while it holds the audio
// thread, which every command waits for; the file check refuses the tune. The bound only tells
// a hang.
TEST_F(MMControlTest, ATuneTooDenseToPlayNeverHoldsUpItsCaller) {
  const std::string path = write_file("dense.mid", midi_file({notes(1000000, 0)}));
  std::chrono::steady_clock::duration longest{};
  const auto timed = [&longest](const auto& step) {
    const auto start = std::chrono::steady_clock::now();
    step();
    longest = std::max(longest, std::chrono::steady_clock::now() - start);
  };
  MMControl* control = nullptr;
  timed([&] { control = &open_control("Sequencer", path); });
  timed([&] { play(*control, 0, 0); });
  for (int i = 0; i < 60; ++i) {
    timed([&] { yield_for(5); });
    timed([&] { control->Mode(); });
  }
  timed([&] { control->Command("Stop"); });
  timed([&] { control->Command("Close"); });
  EXPECT_LT(longest, std::chrono::seconds(2));
}

TEST_F(MMControlTest, TheSynthesizerPrintsNothing) {
  ::testing::internal::CaptureStderr();
  MMControl& control = open_control("Sequencer", write_file("chord.mid", midi_file({notes(400, 0)})));
  play(control, 0, 0);  // more notes than it has voices for
  yield_for(500);
  control.Command("Close");
  const std::string printed = ::testing::internal::GetCapturedStderr();
  EXPECT_EQ(printed.find("fluidsynth"), std::string::npos) << printed.substr(0, 500);
}

// SDL names its sound thread "SDLAudioP" and the device's number.
int sound_threads() {
  int count = 0;
  for (const auto& task : std::filesystem::directory_iterator("/proc/self/task")) {
    std::ifstream comm(task.path() / "comm");
    std::string name;
    std::getline(comm, name);
    if (name.starts_with("SDLAudio")) ++count;
  }
  return count;
}

TEST_F(MMControlTest, NoSoundThreadRunsUntilASoundPlaysNorLongAfter) {
  {
    AudioDevice device(*runtime_, {}, 300);
    const std::unique_ptr<MMControl> control = create_audio_control(*runtime_, device);
    control->DeviceType = "WaveAudio";
    control->FileName = write_file("sine.wav", stepped_sine_wave());
    control->Command("Open");
    yield_for(300);
    EXPECT_EQ(sound_threads(), 0);

    play(*control, 0, 200);
    ASSERT_TRUE(yield_until_stopped(*control, 3000));
    EXPECT_EQ(sound_threads(), 1);
    for (int waited = 0; sound_threads() > 0 && waited < 5000; waited += 50) yield_for(50);
    EXPECT_EQ(sound_threads(), 0);

    play(*control, 500, 700);  // the device wakes again for it
    EXPECT_EQ(control->Mode(), kPlaying);
    ASSERT_TRUE(yield_until_stopped(*control, 3000));
    control->Command("Close");
  }
  // The disk driver starts its file afresh at every opening.
  const std::vector<int16_t> samples = output();
  const LoudSpan span = loud_span(samples, 500);
  EXPECT_NEAR(span.ms(), 200, 25);
  EXPECT_NEAR(peak(samples, span.first, span.last), 7000, 800);
}

TEST_F(MMControlTest, ADeviceThatFailedToReopenIsTriedAgainAtALaterSound) {
  {
    AudioDevice device(*runtime_, {}, 300);
    const std::unique_ptr<MMControl> control = create_audio_control(*runtime_, device);
    control->DeviceType = "WaveAudio";
    control->FileName = write_file("sine.wav", stepped_sine_wave());
    control->Command("Open");
    play(*control, 0, 200);
    ASSERT_TRUE(yield_until_stopped(*control, 3000));
    for (int waited = 0; sound_threads() > 0 && waited < 5000; waited += 50) yield_for(50);
    {
      const ScopedEnv taken("SDL_AUDIODRIVER", "nosuchdriver");  // as if another program held the card
      ::testing::internal::CaptureStderr();
      for (int attempt = 0; attempt < 2; ++attempt) {
        play(*control, 0, 200);
        EXPECT_TRUE(yield_until_stopped(*control, 1000));
        yield_for(1100);
      }
      const std::string printed = ::testing::internal::GetCapturedStderr();
      EXPECT_EQ(std::count(printed.begin(), printed.end(), '\n'), 1) << printed;
    }
    play(*control, 500, 700);
    ASSERT_TRUE(yield_until_stopped(*control, 3000));
    control->Command("Close");
  }
  const std::vector<int16_t> samples = output();  // the disk driver starts afresh at every opening
  const LoudSpan span = loud_span(samples, 500);
  EXPECT_NEAR(span.ms(), 200, 25);
  EXPECT_NEAR(peak(samples, span.first, span.last), 7000, 800);
}

// Over a minute of a wave file, and 65 MiB: larger than any effect, as a wave tune may be.
TEST_F(MMControlTest, ALargeWaveFilePlays) {
  const std::string path = write_file("long.wav", "");
  {
    constexpr uint32_t kRate = 32000;
    std::string data(std::size_t{65} << 20, '\0');
    for (uint32_t i = 0; i < kRate; ++i) {
      const auto sample = static_cast<int16_t>(std::lround(8000 * std::sin(2 * M_PI * 440 * i / kRate)));
      std::memcpy(&data[i * 4], &sample, 2);
      std::memcpy(&data[i * 4 + 2], &sample, 2);
    }
    std::ofstream(path, std::ios::binary) << wave_file(format_chunk(2, kRate), data);
  }
  MMControl& control = open_control("WaveAudio", path);
  play(control, 0, 300);
  ASSERT_TRUE(yield_until_stopped(control, 10000));
  EXPECT_NEAR(loud_span(output_after_closing(), 500).ms(), 300, 25);
}

class MMControlWithoutDeviceTest : public MMControlTest {
 protected:
  MMControlWithoutDeviceTest() : MMControlTest("nosuchdriver") {}
};

TEST_F(MMControlWithoutDeviceTest, EveryCommandWorksSilently) {
  MMControl& wave = open_control("WaveAudio", write_file("sine.wav", stepped_sine_wave()));
  MMControl& tune = open_control("Sequencer", write_file("tune.mid", arpeggio_midi()));
  int updates = 0;
  tune.StatusUpdate = [&updates] { ++updates; };
  play(wave, 200, 500);
  play(tune, 0, 0);
  EXPECT_EQ(wave.Mode(), MMControl::kStopped);
  EXPECT_EQ(tune.Mode(), MMControl::kStopped);
  yield_for(1300);
  EXPECT_GE(updates, 1);
  for (MMControl* control : {&wave, &tune}) {
    for (const char* command : {"Play", "Stop", "Close", "Open", "Close"}) control->Command(command);
    EXPECT_EQ(control->Mode(), MMControl::kStopped);
  }
}

TEST_F(MMControlWithoutDeviceTest, OneLineSaysItRunsSilent) {
  const ScopedEnv alsa("SDL_AUDIODRIVER", "alsa");
  const ScopedEnv no_card("AUDIODEV", "nosuchpcm");  // fails alike with a sound card or without
  ::testing::internal::CaptureStderr();
  play(open_control("WaveAudio", write_file("sine.wav", stepped_sine_wave())), 0, 0);
  const std::string printed = ::testing::internal::GetCapturedStderr();
  EXPECT_EQ(std::count(printed.begin(), printed.end(), '\n'), 1) << printed;
  EXPECT_NE(printed.find("running silent"), std::string::npos) << printed;
}

TEST(MMControlWaveSlice, CutsWholeFramesInTheDeviceFormat) {
  const ByteSlice slice = wave_slice(200, 500, {44100, 4}, 176400);
  EXPECT_EQ(slice.offset, 8820U * 4);
  EXPECT_EQ(slice.length, 13230U * 4);
  const ByteSlice odd = wave_slice(1, 3, {22050, 6}, 132300);
  EXPECT_EQ(odd.offset, 22U * 6);  // 22.05 frames, rounded down
  EXPECT_EQ(odd.length, (66U - 22U) * 6);
}

TEST(MMControlWaveSlice, StaysInsideTheBuffer) {
  const ByteSlice tail = wave_slice(900, 2000, {44100, 4}, 176400 + 3);  // a stray partial frame
  EXPECT_EQ(tail.offset, 39690U * 4);
  EXPECT_EQ(tail.length, 4410U * 4);
  const ByteSlice head = wave_slice(-100, 100, {44100, 4}, 176400);
  EXPECT_EQ(head.offset, 0U);
  EXPECT_EQ(head.length, 4410U * 4);
  EXPECT_EQ(wave_slice(0, INT32_MAX, {44100, 4}, 176400).length, 176400U);
}

TEST(MMControlWaveSlice, EmptyWhenNothingLiesInTheRange) {
  EXPECT_EQ(wave_slice(500, 500, {44100, 4}, 176400).length, 0U);
  EXPECT_EQ(wave_slice(600, 200, {44100, 4}, 176400).length, 0U);
  EXPECT_EQ(wave_slice(1500, 2000, {44100, 4}, 176400).length, 0U);
  EXPECT_EQ(wave_slice(0, 100, {0, 0}, 176400).length, 0U);
}

TEST(MMControlSoundFileCheck, SignatureTellsTheKind) {
  EXPECT_EQ(sound_kind_of(arpeggio_midi().substr(0, 12)), SoundKind::kMidi);
  EXPECT_EQ(sound_kind_of(stepped_sine_wave().substr(0, 12)), SoundKind::kWave);
  EXPECT_EQ(sound_kind_of(std::string("RIFF\0\0\0\0AVI ", 12)), SoundKind::kNone);
  EXPECT_EQ(sound_kind_of("RIFF"), SoundKind::kNone);
  EXPECT_EQ(sound_kind_of(""), SoundKind::kNone);
}

TEST(MMControlSoundFileCheck, MidiLayout) {
  const std::string midi = arpeggio_midi();
  EXPECT_TRUE(sound_bytes_well_formed(midi, SoundKind::kMidi));
  EXPECT_TRUE(sound_bytes_well_formed(midi + std::string(3, '\0'), SoundKind::kMidi));
  EXPECT_FALSE(sound_bytes_well_formed(midi, SoundKind::kWave));
  EXPECT_FALSE(sound_bytes_well_formed(midi.substr(0, midi.size() - 1), SoundKind::kMidi));
  const auto changed = [&midi](std::size_t at, char value) {
    std::string copy = midi;
    copy[at] = value;
    return copy;
  };
  EXPECT_FALSE(sound_bytes_well_formed(changed(7, 5), SoundKind::kMidi));    // header too short
  EXPECT_FALSE(sound_bytes_well_formed(changed(9, 3), SoundKind::kMidi));    // no such format
  EXPECT_FALSE(sound_bytes_well_formed(changed(11, 0), SoundKind::kMidi));   // no tracks
  EXPECT_FALSE(sound_bytes_well_formed(changed(11, 2), SoundKind::kMidi));   // a track missing
  EXPECT_FALSE(sound_bytes_well_formed(changed(20, 0x7F), SoundKind::kMidi));  // track past the end
}

TEST(MMControlSoundFileCheck, TunesTooDenseForTheSynthesizerAreRefused) {
  EXPECT_TRUE(midi_density_bearable(arpeggio_midi()));
  EXPECT_TRUE(midi_density_bearable(midi_file({notes(500, 0)})));
  EXPECT_FALSE(midi_density_bearable(midi_file({notes(501, 0)})));
  EXPECT_FALSE(midi_density_bearable(midi_file({notes(300, 0), notes(300, 0)})));  // tracks sound together
  EXPECT_FALSE(midi_density_bearable(midi_file({notes(200000, 0)})));
  EXPECT_TRUE(midi_density_bearable(midi_file({notes(2000, 1)})));  // about 96 in each 100 ms
  const std::string fastest_tempo("\x00\xFF\x51\x03\x00\x00\x01", 7);
  EXPECT_FALSE(midi_density_bearable(midi_file({fastest_tempo, notes(2000, 1)})));
  EXPECT_FALSE(midi_density_bearable(midi_file({notes(500001, 1)})));  // too many events to read
  EXPECT_FALSE(midi_density_bearable(midi_file({std::string("\x00\x40\x40", 3)})));  // no status
}

TEST(MMControlSoundFileCheck, WaveLayout) {
  const std::string data(400, '\x10');
  const std::string format = format_chunk(2, 44100);
  EXPECT_TRUE(sound_bytes_well_formed(wave_file(format, data), SoundKind::kWave));
  EXPECT_TRUE(sound_bytes_well_formed(wave_file(format, data).substr(0, 100), SoundKind::kWave));  // cut short
  const std::string padded_list("LIST\3\0\0\0abc\0", 12);  // an odd length takes a pad byte
  EXPECT_TRUE(sound_bytes_well_formed(wave_file(padded_list + format, data), SoundKind::kWave));
  EXPECT_FALSE(sound_bytes_well_formed(wave_file(padded_list.substr(0, 11) + format, data), SoundKind::kWave));
  EXPECT_FALSE(sound_bytes_well_formed(wave_file("", data), SoundKind::kWave));  // no format
  EXPECT_FALSE(sound_bytes_well_formed(wave_file(format_chunk(0, 44100), data), SoundKind::kWave));
  EXPECT_FALSE(sound_bytes_well_formed(wave_file(format_chunk(2, 0), data), SoundKind::kWave));
  std::string short_format = format.substr(0, 4) + std::string("\x0E\0\0\0", 4) + format.substr(8, 14);
  EXPECT_FALSE(sound_bytes_well_formed(wave_file(short_format, data), SoundKind::kWave));
  EXPECT_FALSE(sound_bytes_well_formed(wave_file(format, data), SoundKind::kMidi));
}

TEST(MMControlSoundFonts, TheFirstSoundfontThatExistsIsChosen) {
  testing::TempFolder folder;
  const std::string small = folder.file("small.sf2", 10);
  const std::string large = folder.file("large.sf2", 20);
  const std::string missing = (folder.path() / "missing.sf2").string();
  EXPECT_EQ(first_existing_file({missing, folder.path().string(), small, large}), small);
  EXPECT_EQ(first_existing_file({large, small}), large);
  EXPECT_EQ(first_existing_file({missing}), "");
}

}  // namespace
}  // namespace quarlyn
