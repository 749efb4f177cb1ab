#include "platform/audio/tune_cache.h"

#include <fcntl.h>
#include <malloc.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <string_view>
#include <system_error>

#include "platform/checked_file.h"
#include "platform/user_folders.h"

namespace quarlyn {
namespace {

namespace fs = std::filesystem;

constexpr const char* kEntryExtension = ".ogg";
constexpr int kRenderFrames = 4096;
// Raises when the entry format changes, so that old entries are never read as new ones.
constexpr uint64_t kFormatVersion = 2;

// FNV-1a, 64 bits: enough to tell tunes apart, and the same in every build.
struct Hash {
  uint64_t value = 14695981039346656037ULL;
  void add(std::string_view bytes) {
    for (const char byte : bytes) value = (value ^ static_cast<unsigned char>(byte)) * 1099511628211ULL;
  }
  void add(uint64_t number) { add(std::string_view(reinterpret_cast<const char*>(&number), sizeof number)); }
};

void hash_soundfont(Hash& hash, const std::string& soundfont) {
  hash.add(soundfont);
  struct stat status {};
  if (stat(soundfont.c_str(), &status) != 0) return;
  hash.add(static_cast<uint64_t>(status.st_size));
  hash.add(static_cast<uint64_t>(status.st_mtim.tv_sec));
  hash.add(static_cast<uint64_t>(status.st_mtim.tv_nsec));
}

void hash_tuning(Hash& hash, const MusicSynth::Tuning& tuning) {
  for (const int value : {tuning.sample_rate, tuning.polyphony, tuning.reverb ? 1 : 0, tuning.chorus ? 1 : 0,
                          tuning.interpolation, static_cast<int>(tuning.gain * 1000)}) {
    hash.add(static_cast<uint64_t>(value));
  }
}

SF_INFO entry_format(int sample_rate) {
  SF_INFO info{};
  info.samplerate = sample_rate;
  info.channels = 2;
  info.format = SF_FORMAT_OGG | SF_FORMAT_VORBIS;
  return info;
}

// An entry holds at most kMaxSeconds, which the encoder writes at about 12 kB a second; a file
// far larger than that is no entry, and is never read into memory.
constexpr uint64_t kLargestEntryBytes = uint64_t{32000} * TuneCache::kMaxSeconds;

// The renderer is background work: it yields to everything else the machine does.
void lower_priority_of_this_thread() { setpriority(PRIO_PROCESS, static_cast<id_t>(gettid()), 19); }

struct SoundFileCloser {
  void operator()(SNDFILE* sound) const { sf_close(sound); }
};

}  // namespace

SF_VIRTUAL_IO CachedTune::memory_io() {
  SF_VIRTUAL_IO io{};
  io.get_filelen = [](void* self) -> sf_count_t { return std::ssize(static_cast<CachedTune*>(self)->bytes_); };
  io.seek = [](sf_count_t offset, int whence, void* self) -> sf_count_t {
    auto& tune = *static_cast<CachedTune*>(self);
    const sf_count_t base = whence == SEEK_CUR ? tune.position_ : whence == SEEK_END ? std::ssize(tune.bytes_) : 0;
    tune.position_ = std::clamp<sf_count_t>(base + offset, 0, std::ssize(tune.bytes_));
    return tune.position_;
  };
  io.read = [](void* buffer, sf_count_t count, void* self) -> sf_count_t {
    auto& tune = *static_cast<CachedTune*>(self);
    const sf_count_t taken = std::min(count, std::ssize(tune.bytes_) - tune.position_);
    std::memcpy(buffer, tune.bytes_.data() + tune.position_, static_cast<std::size_t>(taken));
    tune.position_ += taken;
    return taken;
  };
  io.tell = [](void* self) -> sf_count_t { return static_cast<CachedTune*>(self)->position_; };
  return io;
}

std::shared_ptr<CachedTune> CachedTune::decode(std::string bytes, int sample_rate) {
  std::shared_ptr<CachedTune> tune(new CachedTune(std::move(bytes)));
  SF_VIRTUAL_IO io = memory_io();
  SF_INFO info{};
  tune->sound_ = sf_open_virtual(&io, SFM_READ, &info, tune.get());
  const SF_INFO wanted = entry_format(sample_rate);
  if (tune->sound_ == nullptr || info.samplerate != wanted.samplerate || info.channels != wanted.channels ||
      (info.format & SF_FORMAT_TYPEMASK) != SF_FORMAT_OGG) {
    return nullptr;
  }
  return tune;
}

CachedTune::~CachedTune() {
  if (sound_ != nullptr) sf_close(sound_);
}

void CachedTune::rewind() { sf_seek(sound_, 0, SEEK_SET); }

int CachedTune::read(int16_t* frames, int frame_count) {
  const sf_count_t got = sf_readf_short(sound_, frames, frame_count);
  return got < 0 ? 0 : static_cast<int>(got);
}

TuneCache::TuneCache(fs::path folder, const MusicSynth::Tuning& tuning, uint64_t max_bytes)
    : folder_(std::move(folder)), tuning_(tuning), max_bytes_(max_bytes) {}

TuneCache::~TuneCache() {
  stopping_ = true;
  if (render_.valid()) render_.wait();
}

fs::path TuneCache::entry_path(const std::vector<char>& tune) const {
  Hash hash;
  hash.add(kFormatVersion);
  hash.add(std::string_view(tune.data(), tune.size()));
  hash_soundfont(hash, installed_soundfont());
  hash_tuning(hash, tuning_);
  char name[17];
  std::snprintf(name, sizeof name, "%016llx", static_cast<unsigned long long>(hash.value));
  return folder_ / (std::string(name) + kEntryExtension);
}

std::shared_ptr<CachedTune> TuneCache::open(const std::vector<char>& tune) {
  if (folder_.empty() || tune.empty()) return nullptr;
  const fs::path entry = entry_path(tune);
  struct stat status {};
  if (lstat(entry.c_str(), &status) != 0) return nullptr;
  std::optional<std::string> bytes = read_checked_file(entry.string(), kLargestEntryBytes);
  std::shared_ptr<CachedTune> cached = bytes ? CachedTune::decode(std::move(*bytes), tuning_.sample_rate) : nullptr;
  if (!cached) {
    unlink(entry.c_str());
    return nullptr;
  }
  // Marks the entry as used, for the removal of the oldest.
  utimensat(AT_FDCWD, entry.c_str(), nullptr, 0);
  return cached;
}

bool TuneCache::rendering() {
  return render_.valid() && render_.wait_for(std::chrono::seconds(0)) == std::future_status::timeout;
}

void TuneCache::render_later(const std::vector<char>& tune) {
  if (folder_.empty() || tune.empty() || rendering()) return;
  try {
    render_ = std::async(std::launch::async, &TuneCache::render, this, tune, entry_path(tune));
  } catch (const std::system_error&) {
    // No thread to spare: the tune keeps playing live, and asks again next time.
  }
}

void TuneCache::render(std::vector<char> tune, fs::path entry) {
  lower_priority_of_this_thread();
  std::error_code error;
  fs::create_directories(folder_, error);
  std::string temporary = (folder_ / "render-XXXXXX").string();
  const int file = mkostemp(temporary.data(), O_CLOEXEC);
  if (file < 0) return;
  bool whole = false;
  {
    MusicSynth synth(tuning_);
    SF_INFO info = entry_format(tuning_.sample_rate);
    const std::unique_ptr<SNDFILE, SoundFileCloser> sound(sf_open_fd(file, SFM_WRITE, &info, SF_FALSE));
    if (sound && synth.prepare(installed_soundfont()) && synth.play(tune)) {
      std::vector<int16_t> frames(kRenderFrames * 2);
      const int64_t most_frames = static_cast<int64_t>(tuning_.sample_rate) * kMaxSeconds;
      int64_t done = 0;
      while (!stopping_ && done < most_frames && synth.sounding()) {
        synth.render(frames.data(), kRenderFrames);
        if (sf_writef_short(sound.get(), frames.data(), kRenderFrames) != kRenderFrames) break;
        done += kRenderFrames;
      }
      whole = !stopping_ && done > 0 && !synth.sounding();
    }
  }
  close(file);
  if (!whole || rename(temporary.c_str(), entry.c_str()) != 0) unlink(temporary.c_str());
  // The synthesizer's soundfont was megabytes of this thread's heap.
  malloc_trim(0);
  if (whole) remove_oldest_beyond_limit();
}

void TuneCache::remove_oldest_beyond_limit() const {
  struct Entry {
    fs::file_time_type used;
    uint64_t bytes;
    fs::path path;
  };
  std::vector<Entry> entries;
  uint64_t total = 0;
  std::error_code error;
  for (const fs::directory_entry& item : fs::directory_iterator(folder_, error)) {
    std::error_code item_error;
    if (item.path().extension() != kEntryExtension || !item.is_regular_file(item_error)) continue;
    const uint64_t bytes = item.file_size(item_error);
    const fs::file_time_type used = item.last_write_time(item_error);
    if (item_error) continue;
    entries.push_back({used, bytes, item.path()});
    total += bytes;
  }
  std::sort(entries.begin(), entries.end(), [](const Entry& a, const Entry& b) { return a.used < b.used; });
  for (const Entry& entry : entries) {
    if (total <= max_bytes_) break;
    if (fs::remove(entry.path, error)) total -= entry.bytes;
  }
}

fs::path tune_cache_folder(const std::string& application) {
  return xdg_home_folder("XDG_CACHE_HOME", ".cache") / application / "tunes";
}

}  // namespace quarlyn
