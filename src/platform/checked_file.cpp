#include "platform/checked_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <utility>

namespace quarlyn {

namespace {

bool same_file(const struct stat& a, const struct stat& b) { return a.st_dev == b.st_dev && a.st_ino == b.st_ino; }

}  // namespace

CheckedFile CheckedFile::open(const std::string& path, uint64_t max_bytes) {
  // O_PATH touches nothing but the name, so a device or FIFO is not even opened.
  const int probe = ::open(path.c_str(), O_PATH | O_CLOEXEC);
  if (probe < 0) return CheckedFile(errno == ENOENT || errno == ENOTDIR ? Status::kMissing : Status::kFailed, errno);
  struct stat seen {};
  const bool probed = ::fstat(probe, &seen) == 0;
  const int probe_error = errno;
  ::close(probe);
  if (!probed) return CheckedFile(Status::kFailed, probe_error);
  if (!S_ISREG(seen.st_mode)) return CheckedFile(Status::kNotRegular, 0);
  if (static_cast<uint64_t>(seen.st_size) > max_bytes) return CheckedFile(Status::kTooLarge, 0);

  // Non-blocking as well: what stands at the path now may no longer be what was looked at.
  CheckedFile file(Status::kFailed, 0);
  file.fd_ = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
  struct stat opened {};
  if (file.fd_ < 0 || ::fstat(file.fd_, &opened) != 0) {
    file.error_ = errno;
    return file;
  }
  if (!S_ISREG(opened.st_mode) || !same_file(seen, opened)) {
    file.status_ = Status::kNotRegular;
    return file;
  }
  if (static_cast<uint64_t>(opened.st_size) > max_bytes) {
    file.status_ = Status::kTooLarge;
    return file;
  }
  file.status_ = Status::kOpen;
  file.size_ = static_cast<uint64_t>(opened.st_size);
  file.mode_ = opened.st_mode & 07777;
  return file;
}

CheckedFile::~CheckedFile() {
  if (fd_ >= 0) ::close(fd_);
}

CheckedFile::CheckedFile(CheckedFile&& other) noexcept
    : status_(other.status_),
      error_(other.error_),
      fd_(std::exchange(other.fd_, -1)),
      size_(other.size_),
      mode_(other.mode_) {}

bool CheckedFile::read_exactly(char* buffer, size_t count) {
  size_t done = 0;
  while (done < count) {
    const ssize_t got = ::read(fd_, buffer + done, count - done);
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) return false;
    done += static_cast<size_t>(got);
  }
  return true;
}

std::optional<std::string> CheckedFile::read_prefix(size_t limit) {
  if (!*this) return std::nullopt;
  std::string bytes(static_cast<size_t>(std::min<uint64_t>(size_, limit)), '\0');
  size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t got = ::pread(fd_, bytes.data() + done, bytes.size() - done, static_cast<off_t>(done));
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) return std::nullopt;
    if (got == 0) break;  // the file shrank since it was opened: this is all it holds now
    done += static_cast<size_t>(got);
  }
  bytes.resize(done);
  return bytes;
}

std::optional<std::string> read_checked_file(const std::string& path, uint64_t max_bytes) {
  CheckedFile file = CheckedFile::open(path, max_bytes);
  return file.read_prefix(SIZE_MAX);
}

}  // namespace quarlyn
