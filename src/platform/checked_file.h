// Opening a file the program reads, whatever stands at its path.
//
// Contract:
// - `CheckedFile::open` never blocks and has no side effect on what it finds: it looks at the
//   path with O_PATH first and goes on only for a regular file of at most `max_bytes`; then it
//   opens that file for reading (non-blocking, close-on-exec, never as a controlling terminal)
//   and checks that it got the very file it looked at. A FIFO, device, socket or folder is
//   refused, and so is a file swapped in between the two steps. Symbolic links are followed.
// - Reads retry when a signal interrupts them. Nothing here throws.
#pragma once

#include <sys/types.h>

#include <cstddef>
#include <cstdint>
#include <limits>
#include <optional>
#include <string>

namespace quarlyn {

// For readers that take only a bounded part of a file of any size.
inline constexpr uint64_t kAnyFileSize = std::numeric_limits<uint64_t>::max();

class CheckedFile {
 public:
  enum class Status { kOpen, kMissing, kNotRegular, kTooLarge, kFailed };

  static CheckedFile open(const std::string& path, uint64_t max_bytes);

  ~CheckedFile();
  CheckedFile(CheckedFile&& other) noexcept;
  CheckedFile& operator=(CheckedFile&&) = delete;
  CheckedFile(const CheckedFile&) = delete;
  CheckedFile& operator=(const CheckedFile&) = delete;

  explicit operator bool() const { return status_ == Status::kOpen; }
  Status status() const { return status_; }
  // The errno of a failed open (kMissing, kFailed), else 0.
  int error() const { return error_; }
  int fd() const { return fd_; }
  uint64_t size() const { return size_; }
  mode_t mode() const { return mode_; }

  // Reads exactly `count` bytes from the current position; false when the file ends first or
  // a read fails.
  bool read_exactly(char* buffer, size_t count);
  // The file from its start: at most `limit` bytes, fewer when it is shorter.
  std::optional<std::string> read_prefix(size_t limit);

 private:
  CheckedFile(Status status, int error) : status_(status), error_(error) {}

  Status status_;
  int error_ = 0;
  int fd_ = -1;
  uint64_t size_ = 0;
  mode_t mode_ = 0;
};

// The whole file, when it is a regular file of at most `max_bytes`.
std::optional<std::string> read_checked_file(const std::string& path, uint64_t max_bytes);

}  // namespace quarlyn
