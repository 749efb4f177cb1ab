#include "platform/store_files.h"

#include <fcntl.h>
#include <limits.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <optional>
#include <string_view>
#include <thread>
#include <vector>

#include "platform/checked_file.h"

namespace quarlyn::store_files {

namespace fs = std::filesystem;

UniqueFd::~UniqueFd() {
  if (fd_ >= 0) ::close(fd_);
}

bool UniqueFd::close() {
  const int fd = std::exchange(fd_, -1);
  return ::close(fd) == 0;
}

namespace {

constexpr mode_t kNewFileMode = 0600;
constexpr mode_t kNewFolderMode = 0700;
constexpr int kKeptDamagedCopies = 3;
constexpr int kMaxCopiesPerSecond = 99;
constexpr int kMaxLinkHops = 40;
constexpr auto kLockRetryPause = std::chrono::milliseconds(5);

bool write_all(int fd, std::string_view content) {
  while (!content.empty()) {
    const ssize_t count = ::write(fd, content.data(), content.size());
    if (count < 0 && errno != EINTR) return false;
    if (count > 0) content.remove_prefix(static_cast<std::size_t>(count));
  }
  return true;
}

// Some file systems cannot sync a folder (EINVAL); there is nothing more to do there.
bool sync_folder(const fs::path& folder, std::string& problem) {
  UniqueFd fd(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (fd && (::fsync(fd.get()) == 0 || errno == EINVAL)) return true;
  problem = failure(folder, errno);
  return false;
}

// The names in `file`'s folder that start with its name and `suffix`, sorted.
std::vector<fs::path> names_beside(const fs::path& file, const std::string& suffix) {
  const std::string prefix = file.filename().string() + suffix;
  std::vector<fs::path> found;
  std::error_code error;
  for (fs::directory_iterator it(folder_of(file), error), end; !error && it != end; it.increment(error)) {
    if (it->path().filename().string().starts_with(prefix)) found.push_back(it->path());
  }
  std::sort(found.begin(), found.end());
  return found;
}

// Temporary files are only ever made under the lock, so any found there now are left over
// from a save that was killed.
void remove_leftover_temporaries(const fs::path& file) {
  for (const fs::path& leftover : names_beside(file, ".tmp-")) ::unlink(leftover.c_str());
}

// Writes the content, synced, under a fresh unique name made from `pattern` (ending in
// "XXXXXX") beside the file; "" when that fails.
std::string write_temporary(std::string pattern, std::string_view content, mode_t mode, std::string& problem) {
  UniqueFd fd(::mkostemp(pattern.data(), O_CLOEXEC));
  if (!fd) {
    problem = failure(pattern, errno);
    return "";
  }
  // fchmod because the umask narrows new files and an old file keeps its mode.
  if (::fchmod(fd.get(), mode) == 0 && write_all(fd.get(), content) && ::fsync(fd.get()) == 0 && fd.close()) {
    return pattern;
  }
  problem = failure(pattern, errno);
  ::unlink(pattern.c_str());
  return "";
}

// Renames the temporary to `file` and syncs the folder, so that the rename lasts.
bool put_in_place(const std::string& temporary, const fs::path& file, std::string& problem) {
  if (::rename(temporary.c_str(), file.c_str()) != 0) {
    problem = failure(temporary, errno);
    ::unlink(temporary.c_str());
    return false;
  }
  return sync_folder(folder_of(file), problem);
}

bool replace_file(const fs::path& file, std::string_view content, mode_t mode, std::string& problem) {
  const std::string temporary = write_temporary(file.string() + ".tmp-XXXXXX", content, mode, problem);
  return !temporary.empty() && put_in_place(temporary, file, problem);
}

// Nanoseconds of the real-time clock, zero-padded, so that such stamps sort as they came.
std::string sortable_time() {
  timespec now{};
  ::clock_gettime(CLOCK_REALTIME, &now);
  char text[32];
  std::snprintf(text, sizeof text, "%020lld", static_cast<long long>(now.tv_sec) * 1000000000LL + now.tv_nsec);
  return text;
}

// Copies the file to `copy`, which must not exist yet; 0 or the errno of the failure.
int copy_bytes(const fs::path& file, const fs::path& copy) {
  CheckedFile from = CheckedFile::open(file, kAnyFileSize);
  if (!from) return from.error() ? from.error() : EIO;
  UniqueFd to(::open(copy.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, kNewFileMode));
  if (!to) return errno;
  char buffer[65536];
  for (uint64_t left = from.size(); left > 0;) {
    const std::size_t count = static_cast<std::size_t>(std::min<uint64_t>(left, sizeof buffer));
    if (!from.read_exactly(buffer, count) || !write_all(to.get(), {buffer, count})) return EIO;
    left -= count;
  }
  return ::fsync(to.get()) == 0 && to.close() ? 0 : errno;
}

std::string local_time_stamp() {
  const std::time_t now = std::time(nullptr);
  std::tm local{};
  char text[32] = "";
  if (::localtime_r(&now, &local) != nullptr) std::strftime(text, sizeof text, "%Y%m%d-%H%M%S", &local);
  return text;
}

// The copy of a damaged file made `number`-th within one second: "<file>.damaged-<stamp>", then
// "...-02" up to "...-99", so that the names sort in the order the copies were made.
fs::path damaged_copy_name(const fs::path& file, const std::string& stamp, int number) {
  const std::string suffix = number == 1 ? "" : (number < 10 ? "-0" : "-") + std::to_string(number);
  return file.string() + ".damaged-" + stamp + suffix;
}

// The number of the latest copy made in the second of `stamp`, 0 when there is none.
int latest_copy_number(const fs::path& file, const std::string& stamp) {
  const std::size_t stem_length = file.filename().string().size() + std::string(".damaged-").size() + stamp.size();
  int latest = 0;
  for (const fs::path& copy : names_beside(file, ".damaged-" + stamp)) {
    const std::string suffix = copy.filename().string().substr(stem_length);
    latest = std::max(latest, suffix.empty() ? 1 : std::atoi(suffix.c_str() + 1));
  }
  return latest;
}

// Keeps the damaged file under its own dated name (a hard link where the file system has
// them, so even a huge file costs nothing) and lets only the newest few such copies stay.
bool keep_damaged_copy(const fs::path& file, std::string& problem) {
  const std::string stamp = local_time_stamp();
  for (int number = latest_copy_number(file, stamp) + 1; number <= kMaxCopiesPerSecond; ++number) {
    const fs::path copy = damaged_copy_name(file, stamp, number);
    int error = ::link(file.c_str(), copy.c_str()) == 0 ? 0 : errno;
    if (error != 0 && error != EEXIST) error = copy_bytes(file, copy);
    if (error == EEXIST) continue;
    if (error != 0) {
      problem = failure(copy, error);
      return false;
    }
    const std::vector<fs::path> copies = names_beside(file, ".damaged-");
    for (std::size_t i = 0; i + kKeptDamagedCopies < copies.size(); ++i) ::unlink(copies[i].c_str());
    return true;
  }
  problem = damaged_copy_name(file, stamp, kMaxCopiesPerSecond).string() + ": no free name";
  return false;
}

bool is_folder(const fs::path& path) {
  struct stat info {};
  return ::stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

}  // namespace

std::string failure(const fs::path& path, int error) { return path.string() + ": " + std::strerror(error); }

StoreFile read_store_file(const fs::path& file, std::size_t max_bytes) {
  StoreFile result;
  CheckedFile opened = CheckedFile::open(file, kAnyFileSize);
  if (opened.status() == CheckedFile::Status::kMissing) {
    result.status = StoreFile::Status::kMissing;
    return result;
  }
  std::optional<std::string> content = opened.read_prefix(max_bytes);
  if (!content) {
    result.problem = opened.status() == CheckedFile::Status::kNotRegular ? file.string() + ": not a regular file"
                                                                         : failure(file, opened.error() ? opened.error() : EIO);
    return result;
  }
  result.content = std::move(*content);
  if (opened.size() > max_bytes) {
    result.cut_short = true;
    const std::size_t last_line_end = result.content.rfind('\n');
    result.content.resize(last_line_end == std::string::npos ? 0 : last_line_end + 1);
  }
  result.mode = opened.mode();
  result.status = StoreFile::Status::kRead;
  return result;
}

fs::path folder_of(const fs::path& file) {
  return file.has_parent_path() ? file.parent_path() : fs::path(".");
}

bool make_folders(const fs::path& folder) {
  if (folder.empty() || is_folder(folder)) return true;
  if (folder.has_parent_path() && folder.parent_path() != folder && !make_folders(folder.parent_path())) {
    return false;
  }
  if (::mkdir(folder.c_str(), kNewFolderMode) == 0) return true;
  if (errno != EEXIST) return false;
  if (is_folder(folder)) return true;
  errno = ENOTDIR;
  return false;
}

fs::path link_target(fs::path path) {
  for (int hop = 0; hop < kMaxLinkHops; ++hop) {
    struct stat info {};
    if (::lstat(path.c_str(), &info) != 0 || !S_ISLNK(info.st_mode)) return path;
    char text[PATH_MAX];
    const ssize_t length = ::readlink(path.c_str(), text, sizeof text);
    if (length <= 0 || static_cast<std::size_t>(length) == sizeof text) return path;
    const fs::path next(std::string(text, static_cast<std::size_t>(length)));
    path = next.is_absolute() ? next : folder_of(path) / next;
  }
  return path;
}

// Non-blocking open: whatever stands under the lock's name cannot hang us.
UniqueFd lock_store(const fs::path& file, std::chrono::milliseconds wait, std::string& problem,
                    bool& held_elsewhere) {
  held_elsewhere = false;
  const fs::path lock_file = file.string() + ".lock";
  UniqueFd fd(::open(lock_file.c_str(), O_RDWR | O_CREAT | O_NONBLOCK | O_NOCTTY | O_CLOEXEC, kNewFileMode));
  if (!fd) {
    problem = failure(lock_file, errno);
    return fd;
  }
  const auto deadline = std::chrono::steady_clock::now() + wait;
  while (::flock(fd.get(), LOCK_EX | LOCK_NB) != 0) {
    if (errno == EINTR) continue;
    if (errno != EWOULDBLOCK) {
      problem = failure(lock_file, errno);
      return UniqueFd(-1);
    }
    const auto now = std::chrono::steady_clock::now();
    if (now >= deadline) {
      problem = lock_file.string() + ": held by another process";
      held_elsewhere = true;
      return UniqueFd(-1);
    }
    std::this_thread::sleep_for(std::min<std::chrono::steady_clock::duration>(kLockRetryPause, deadline - now));
  }
  return fd;
}

// A damaged file is kept aside before it is replaced, so that nothing unreadable is lost for good.
bool write_store(const fs::path& file, const StoreFile& fresh, bool damaged, const std::string& content,
                 std::string& problem) {
  const bool exists = fresh.status == StoreFile::Status::kRead;
  if (exists && !damaged && content == fresh.content) return true;
  remove_leftover_temporaries(file);
  if (exists && damaged && !keep_damaged_copy(file, problem)) return false;
  return replace_file(file, content, fresh.mode, problem);
}

// The temporary is named apart from the store's own (".tmp-"), which a save under the lock
// removes as left over. Its unique part is taken while no other journal's temporary has it, and
// with the time it makes the journal's name unique.
bool write_journal(const fs::path& file, const std::string& content, std::string& problem) {
  const std::string temporary = write_temporary(file.string() + ".new-journal-XXXXXX", content, kNewFileMode, problem);
  if (temporary.empty()) return false;
  const std::string unique = temporary.substr(temporary.size() - 6);
  return put_in_place(temporary, file.string() + ".journal-" + sortable_time() + "-" + unique, problem);
}

std::vector<fs::path> journals(const fs::path& file) { return names_beside(file, ".journal-"); }

}  // namespace quarlyn::store_files
