#include "platform/audio/tune_cache.h"

#include <fcntl.h>
#include <malloc.h>
#include <sys/file.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <sndfile.h>

#include <algorithm>
#include <bit>
#include <cctype>
#include <cerrno>
#include <charconv>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <string_view>
#include <system_error>

#include "platform/audio/sound_file_check.h"
#include "platform/checked_file.h"
#include "platform/user_folders.h"

namespace quarlyn {
namespace {

namespace fs = std::filesystem;

constexpr std::string_view kEntryExtension = ".ogg";
constexpr std::string_view kTemporaryPrefix = "render-";
constexpr int kKeyDigits = 16;
// A render looks whether it is asked to stop after each of these: 64 ms of sound, a few
// milliseconds of work even at the lowest priority on a busy machine.
constexpr int kRenderFrames = 2048;
// Raises when the entry format changes, so that old entries are never read as new ones.
constexpr uint64_t kFormatVersion = 3;

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

// Whether `name` starts with a key as `key_text` writes it.
bool starts_with_key(std::string_view name) {
  const auto hex = [](char c) { return std::isdigit(static_cast<unsigned char>(c)) || (c >= 'a' && c <= 'f'); };
  return name.size() >= kKeyDigits && std::all_of(name.begin(), name.begin() + kKeyDigits, hex);
}

// "<key>-<frames>.ogg": the frames an entry holds, when `name` is one of `key`'s (any key when
// `key` is empty); 0 for any other name.
int64_t entry_frames(std::string_view name, std::string_view key = {}) {
  if (!name.ends_with(kEntryExtension) || name.size() <= kKeyDigits + 1 + kEntryExtension.size()) return 0;
  if (!key.empty() && name.substr(0, kKeyDigits) != key) return 0;
  if (!starts_with_key(name) || name[kKeyDigits] != '-') return 0;
  const std::string_view count = name.substr(kKeyDigits + 1, name.size() - kKeyDigits - 1 - kEntryExtension.size());
  int64_t frames = 0;
  const auto [end, error] = std::from_chars(count.data(), count.data() + count.size(), frames);
  const bool whole_number = error == std::errc() && end == count.data() + count.size() && count[0] != '0';
  return whole_number && frames > 0 ? frames : 0;
}

// "<key>.ogg", the name entries had before it told their frames: never read any more.
bool former_entry_name(std::string_view name) {
  return name.size() == kKeyDigits + kEntryExtension.size() && name.ends_with(kEntryExtension) &&
         starts_with_key(name);
}

// "render-XXXXXX", as mkostemp fills it in.
bool temporary_name(std::string_view name) {
  const auto alphanumeric = [](char c) { return std::isalnum(static_cast<unsigned char>(c)) != 0; };
  return name.size() == kTemporaryPrefix.size() + 6 && name.starts_with(kTemporaryPrefix) &&
         std::all_of(name.begin() + static_cast<std::ptrdiff_t>(kTemporaryPrefix.size()), name.end(), alphanumeric);
}

std::string key_text(uint64_t key) {
  char text[kKeyDigits + 1];
  std::snprintf(text, sizeof text, "%016llx", static_cast<unsigned long long>(key));
  return text;
}

// A real folder of this user's that no one else may write into: never a link to somewhere else.
bool own_folder(const fs::path& folder) {
  struct stat status {};
  return lstat(folder.c_str(), &status) == 0 && S_ISDIR(status.st_mode) && status.st_uid == geteuid() &&
         (status.st_mode & (S_IWGRP | S_IWOTH)) == 0;
}

bool make_own_folder(const fs::path& folder) {
  std::error_code error;
  fs::create_directories(folder.parent_path(), error);
  if (mkdir(folder.c_str(), 0700) != 0 && errno != EEXIST) return false;
  return own_folder(folder);
}

void sync_folder(const fs::path& folder) {
  const int file = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (file < 0) return;
  fsync(file);
  close(file);
}

// A render holds its temporary locked until it is renamed or removed, so one that is not held
// was left by a render that never ended. True when it was removed.
bool remove_unless_a_render_holds(const fs::path& temporary) {
  const int file = open(temporary.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
  if (file < 0) return false;
  const bool removed = flock(file, LOCK_EX | LOCK_NB) == 0 && unlink(temporary.c_str()) == 0;
  close(file);
  return removed;
}

}  // namespace

ov_callbacks CachedTune::memory_io() {
  ov_callbacks io{};
  io.read_func = [](void* buffer, std::size_t size, std::size_t count, void* self) -> std::size_t {
    auto& tune = *static_cast<CachedTune*>(self);
    if (size == 0) return 0;
    const std::size_t taken = std::min(count, (tune.bytes_.size() - tune.position_) / size);
    std::memcpy(buffer, tune.bytes_.data() + tune.position_, taken * size);
    tune.position_ += taken * size;
    return taken;
  };
  io.seek_func = [](void* self, ogg_int64_t offset, int whence) -> int {
    auto& tune = *static_cast<CachedTune*>(self);
    const auto size = static_cast<ogg_int64_t>(tune.bytes_.size());
    const auto position = static_cast<ogg_int64_t>(tune.position_);
    const ogg_int64_t base = whence == SEEK_CUR ? position : whence == SEEK_END ? size : 0;
    if (offset < -base || offset > size - base) return -1;
    tune.position_ = static_cast<std::size_t>(base + offset);
    return 0;
  };
  io.tell_func = [](void* self) -> long { return static_cast<long>(static_cast<CachedTune*>(self)->position_); };
  return io;
}

std::shared_ptr<CachedTune> CachedTune::decode(std::string bytes, int sample_rate, int64_t frames) {
  std::shared_ptr<CachedTune> tune(new CachedTune(std::move(bytes)));
  if (ov_open_callbacks(tune.get(), &tune->vorbis_, nullptr, 0, memory_io()) != 0) return nullptr;
  tune->opened_ = true;
  const vorbis_info* info = ov_info(&tune->vorbis_, -1);
  if (info == nullptr || info->rate != sample_rate || info->channels != 2 || ov_streams(&tune->vorbis_) != 1 ||
      ov_pcm_total(&tune->vorbis_, -1) != frames) {
    return nullptr;
  }
  return tune;
}

CachedTune::~CachedTune() {
  if (opened_) ov_clear(&vorbis_);
}

void CachedTune::rewind() {
  ov_raw_seek(&vorbis_, 0);
  ahead_read_ = ahead_decoded_ = 0;
  decoded_all_ = false;
}

int CachedTune::read(int16_t* frames, int frame_count) {
  int done = 0;
  while (done < frame_count && (ahead_read_ < ahead_decoded_ || (!decoded_all_ && decode_ahead()))) {
    const int taken = std::min(frame_count - done, ahead_decoded_ - ahead_read_);
    std::copy_n(ahead_.begin() + static_cast<std::ptrdiff_t>(ahead_read_) * 2, taken * 2,
                frames + static_cast<std::ptrdiff_t>(done) * 2);
    ahead_read_ += taken;
    done += taken;
  }
  return done;
}

bool CachedTune::decode_ahead() {
  constexpr int kFrameBytes = 4;
  constexpr int kBigEndian = std::endian::native == std::endian::big ? 1 : 0;
  ahead_read_ = ahead_decoded_ = 0;
  while (ahead_decoded_ < kAheadFrames) {
    int section = 0;
    const long got =
        ov_read(&vorbis_, reinterpret_cast<char*>(ahead_.data() + static_cast<std::ptrdiff_t>(ahead_decoded_) * 2),
                (kAheadFrames - ahead_decoded_) * kFrameBytes, kBigEndian, 2, 1, &section);
    if (got <= 0) {
      decoded_all_ = true;
      break;
    }
    ahead_decoded_ += static_cast<int>(got / kFrameBytes);
  }
  return ahead_decoded_ > 0;
}

TuneCache::TuneCache(fs::path folder, const MusicSynth::Tuning& tuning, uint64_t max_bytes)
    : folder_(std::move(folder)), tuning_(tuning), max_bytes_(max_bytes) {}

TuneCache::~TuneCache() { shutdown(); }

void TuneCache::shutdown() {
  stopping_ = true;
  if (render_.valid()) render_.wait();
}

uint64_t TuneCache::key_of(const std::vector<char>& tune) const {
  Hash hash;
  hash.add(kFormatVersion);
  hash.add(std::string_view(tune.data(), tune.size()));
  hash_soundfont(hash, installed_soundfont());
  hash_tuning(hash, tuning_);
  return hash.value;
}

fs::path TuneCache::path_of(uint64_t key, int64_t frames) const {
  return folder_ / (key_text(key) + "-" + std::to_string(frames) + std::string(kEntryExtension));
}

fs::path TuneCache::entry_path(const std::vector<char>& tune, int64_t frames) const {
  return path_of(key_of(tune), frames);
}

fs::path TuneCache::kept_entry(const std::vector<char>& tune) const {
  if (folder_.empty() || !own_folder(folder_)) return {};
  const std::string key = key_text(key_of(tune));
  std::error_code error;
  for (const fs::directory_entry& item : fs::directory_iterator(folder_, error)) {
    if (entry_frames(item.path().filename().native(), key) > 0) return item.path();
  }
  return {};
}

std::shared_ptr<CachedTune> TuneCache::open(const std::vector<char>& tune) {
  if (tune.empty()) return nullptr;
  const fs::path entry = kept_entry(tune);
  if (entry.empty()) return nullptr;
  struct stat status {};
  if (lstat(entry.c_str(), &status) != 0) return nullptr;
  std::optional<std::string> bytes;
  if (S_ISREG(status.st_mode)) bytes = read_checked_file(entry.string(), kLargestEntryBytes);
  const int64_t frames = entry_frames(entry.filename().native());
  std::shared_ptr<CachedTune> cached =
      bytes ? CachedTune::decode(std::move(*bytes), tuning_.sample_rate, frames) : nullptr;
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

bool TuneCache::known_unkeepable(uint64_t key) {
  const std::lock_guard lock(unkeepable_lock_);
  return unkeepable_.contains(key);
}

void TuneCache::remember_unkeepable(uint64_t key) {
  const std::lock_guard lock(unkeepable_lock_);
  unkeepable_.insert(key);
}

void TuneCache::render_later(const std::vector<char>& tune) {
  if (folder_.empty() || tune.empty() || stopping_ || rendering()) return;
  const uint64_t key = key_of(tune);
  if (known_unkeepable(key)) return;
  const std::optional<double> seconds = midi_playing_seconds(std::string_view(tune.data(), tune.size()));
  if (!seconds || *seconds > kMaxSeconds) {
    remember_unkeepable(key);
    return;
  }
  try {
    render_ = std::async(std::launch::async, &TuneCache::render, this, tune, key);
  } catch (const std::system_error&) {
    // No thread to spare: the tune keeps playing live, and asks again next time.
  }
}

void TuneCache::render(std::vector<char> tune, uint64_t key) {
  lower_priority_of_this_thread();
  if (!make_own_folder(folder_)) return;
  std::string temporary = (folder_ / (std::string(kTemporaryPrefix) + "XXXXXX")).string();
  const int file = mkostemp(temporary.data(), O_CLOEXEC);
  if (file < 0) return;
  flock(file, LOCK_EX);
  const Rendered rendered = render_into(file, tune);
  if (rendered.end == Rendered::End::kUnkeepable) remember_unkeepable(key);
  const fs::path entry = path_of(key, rendered.frames);
  const bool renamed = rendered.end == Rendered::End::kWhole && written_whole(file, temporary, rendered.frames) &&
                       rename(temporary.c_str(), entry.c_str()) == 0;
  if (!renamed) unlink(temporary.c_str());
  // Renamed before closing, so that the temporary is never left unlocked for a trim to take.
  const bool kept = close(file) == 0 && renamed;
  if (renamed && !kept) unlink(entry.c_str());
  if (kept) sync_folder(folder_);
  // The synthesizer's soundfont was megabytes of this thread's heap.
  malloc_trim(0);
  if (kept) remove_oldest_beyond_limit();
}

TuneCache::Rendered TuneCache::render_into(int file, const std::vector<char>& tune) {
  MusicSynth synth(tuning_);
  SF_INFO info = entry_format(tuning_.sample_rate);
  SNDFILE* sound = sf_open_fd(file, SFM_WRITE, &info, SF_FALSE);
  if (sound == nullptr) return {Rendered::End::kFailed, 0};
  Rendered rendered{Rendered::End::kFailed, 0};
  if (synth.prepare(installed_soundfont()) && synth.play(tune)) {
    std::vector<int16_t> frames(kRenderFrames * 2);
    const int64_t most_frames = static_cast<int64_t>(tuning_.sample_rate) * kMaxSeconds;
    const int64_t most_fading_frames = static_cast<int64_t>(tuning_.sample_rate) * kMaxFadeSeconds;
    int64_t ended_at = -1;
    bool written = true;
    while (!stopping_ && written && synth.sounding()) {
      if (rendered.frames >= most_frames || (ended_at >= 0 && rendered.frames - ended_at >= most_fading_frames)) {
        rendered.end = Rendered::End::kUnkeepable;
        break;
      }
      synth.render(frames.data(), kRenderFrames);
      written = sf_writef_short(sound, frames.data(), kRenderFrames) == kRenderFrames;
      rendered.frames += kRenderFrames;
      if (ended_at < 0 && !synth.playing()) ended_at = rendered.frames;
    }
    if (!stopping_ && written && !synth.sounding() && rendered.frames > 0) rendered.end = Rendered::End::kWhole;
  }
  // Closing writes the last pages; a failure there leaves the file short, which `written_whole` finds.
  if (sf_close(sound) != 0 && rendered.end == Rendered::End::kWhole) rendered.end = Rendered::End::kFailed;
  return rendered;
}

// Like the settings store's file: synced, then read back whole as `open` would read it, so that
// a full disk or a file-size limit never leaves a short entry behind.
bool TuneCache::written_whole(int file, const std::string& temporary, int64_t frames) const {
  if (fsync(file) != 0) return false;
  std::optional<std::string> bytes = read_checked_file(temporary, kLargestEntryBytes);
  return bytes && CachedTune::decode(std::move(*bytes), tuning_.sample_rate, frames) != nullptr;
}

void TuneCache::remove_oldest_beyond_limit() const {
  struct Entry {
    timespec used;
    uint64_t bytes;
    fs::path path;
  };
  if (folder_.empty() || !own_folder(folder_)) return;
  std::vector<Entry> entries;
  uint64_t total = 0;
  std::error_code error;
  for (const fs::directory_entry& item : fs::directory_iterator(folder_, error)) {
    const std::string name = item.path().filename().native();
    const bool temporary = temporary_name(name);
    const bool former = former_entry_name(name);
    if (!temporary && !former && entry_frames(name) == 0) continue;
    struct stat status {};
    if (lstat(item.path().c_str(), &status) != 0 || !S_ISREG(status.st_mode)) continue;
    if (former) {
      unlink(item.path().c_str());
      continue;
    }
    if (temporary && remove_unless_a_render_holds(item.path())) continue;
    total += static_cast<uint64_t>(status.st_size);
    if (!temporary) entries.push_back({status.st_mtim, static_cast<uint64_t>(status.st_size), item.path()});
  }
  std::sort(entries.begin(), entries.end(), [](const Entry& a, const Entry& b) {
    return std::pair(a.used.tv_sec, a.used.tv_nsec) < std::pair(b.used.tv_sec, b.used.tv_nsec);
  });
  for (const Entry& entry : entries) {
    if (total <= max_bytes_) break;
    if (unlink(entry.path.c_str()) == 0) total -= entry.bytes;
  }
}

fs::path tune_cache_folder(const std::string& application) {
  return xdg_home_folder("XDG_CACHE_HOME", ".cache") / application / "tunes";
}

}  // namespace quarlyn
