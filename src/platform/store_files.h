// The file-system steps of the settings store (settings_store.h): reading the store without
// blocking, locking it with a bounded wait, replacing it atomically and keeping damaged files
// aside. Each step that fails says where and why in `problem`.
#pragma once

#include <sys/types.h>

#include <chrono>
#include <cstddef>
#include <filesystem>
#include <string>
#include <utility>
#include <vector>

namespace quarlyn::store_files {

class UniqueFd {
 public:
  explicit UniqueFd(int fd) : fd_(fd) {}
  ~UniqueFd();
  UniqueFd(UniqueFd&& other) noexcept : fd_(std::exchange(other.fd_, -1)) {}
  UniqueFd(const UniqueFd&) = delete;
  UniqueFd& operator=(const UniqueFd&) = delete;

  int get() const { return fd_; }
  explicit operator bool() const { return fd_ >= 0; }
  // Closes now, so that a failing close (a late write error) can be reported.
  bool close();

 private:
  int fd_;
};

struct StoreFile {
  enum class Status { kMissing, kRead, kFailed } status = Status::kFailed;
  std::string content;
  bool cut_short = false;  // larger than the limit: only the whole lines before it were read
  mode_t mode = 0600;
  std::string problem;
};

// The file's first `max_bytes`, cut back to whole lines when it is larger. Only a regular file
// is read.
StoreFile read_store_file(const std::filesystem::path& file, std::size_t max_bytes);
std::filesystem::path folder_of(const std::filesystem::path& file);
// Creates the folder and those above it, private to the user; false with errno set.
bool make_folders(const std::filesystem::path& folder);
// The file a save replaces: `path` itself, or the file its symbolic links lead to, so that the
// links stay.
std::filesystem::path link_target(std::filesystem::path path);
// Locks "<file>.lock", trying until `wait` has passed; the lock is held until the returned
// descriptor closes. `held_elsewhere` tells a failure because another process held the lock.
UniqueFd lock_store(const std::filesystem::path& file, std::chrono::milliseconds wait, std::string& problem,
                    bool& held_elsewhere);
// Replaces the file with `content` unless it holds exactly that already; a damaged one is first
// kept under a dated name.
bool write_store(const std::filesystem::path& file, const StoreFile& fresh, bool damaged, const std::string& content,
                 std::string& problem);
// Journals: changes kept beside the store while another process held its lock, for a later
// save to merge. Each is written whole under a new name of its own, "<file>.journal-<time>-<id>",
// without the lock; the names sort in the order they were written.
bool write_journal(const std::filesystem::path& file, const std::string& content, std::string& problem);
std::vector<std::filesystem::path> journals(const std::filesystem::path& file);

// "<path>: <the system's reason>".
std::string failure(const std::filesystem::path& path, int error);

}  // namespace quarlyn::store_files
