#include "platform/audio/sound_loader.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <optional>
#include <string_view>

namespace quarlyn {
namespace {

class FileHandle {
 public:
  explicit FileHandle(int fd) : fd_(fd) {}
  ~FileHandle() {
    if (fd_ >= 0) close(fd_);
  }
  FileHandle(const FileHandle&) = delete;
  FileHandle& operator=(const FileHandle&) = delete;
  int fd() const { return fd_; }

 private:
  int fd_;
};

// Opening without blocking and checking the opened file itself means a pipe or device put in
// the playlist (or swapped in after a probe) can never hang a read.
std::optional<std::vector<char>> read_regular_file(const std::string& path, std::size_t wanted) {
  const FileHandle file(open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
  struct stat status {};
  if (file.fd() < 0 || fstat(file.fd(), &status) != 0 || !S_ISREG(status.st_mode)) return std::nullopt;
  if (status.st_size < 0 || static_cast<uint64_t>(status.st_size) > kMaxSoundFileBytes) return std::nullopt;
  std::vector<char> bytes(std::min(static_cast<std::size_t>(status.st_size), wanted));
  std::size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t got = read(file.fd(), bytes.data() + done, bytes.size() - done);
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) return std::nullopt;
    done += static_cast<std::size_t>(got);
  }
  return bytes;
}

LoadedSound decode(std::vector<char> bytes, SoundKind kind, std::mutex& music_lock) {
  SDL_RWops* source = SDL_RWFromConstMem(bytes.data(), static_cast<int>(bytes.size()));
  if (source == nullptr) return {};
  LoadedSound sound;
  // One load at a time: two wave files converted at once on two threads can fail.
  const std::lock_guard lock(music_lock);
  if (kind == SoundKind::kWave) {
    sound.chunk.reset(Mix_LoadWAV_RW(source, 1));
    return sound;
  }
  Mix_Music* music = Mix_LoadMUSType_RW(source, MUS_MID, 1);
  sound.music = MusicPtr(music, MusicDeleter{&music_lock, std::move(bytes)});
  return sound;
}

}  // namespace

void MusicDeleter::operator()(Mix_Music* music) const {
  const std::lock_guard lock(*music_lock);
  Mix_FreeMusic(music);
}

SoundKind probe_sound_file(const std::string& path) {
  const std::optional<std::vector<char>> head = read_regular_file(path, kSoundSignatureBytes);
  if (!head || head->size() < kSoundSignatureBytes) return SoundKind::kNone;
  return sound_kind_of(std::string_view(head->data(), head->size()));
}

LoadedSound load_sound(const std::string& path, SoundKind kind, std::mutex& music_lock) {
  std::optional<std::vector<char>> bytes = read_regular_file(path, kMaxSoundFileBytes);
  if (!bytes || !sound_bytes_well_formed(std::string_view(bytes->data(), bytes->size()), kind)) return {};
  if (kind == SoundKind::kMidi && !midi_density_bearable(std::string_view(bytes->data(), bytes->size()))) return {};
  return decode(std::move(*bytes), kind, music_lock);
}

}  // namespace quarlyn
