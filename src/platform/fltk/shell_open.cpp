#include "platform/fltk/shell_open.h"

#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <chrono>
#include <filesystem>
#include <optional>
#include <thread>

namespace quarlyn {
namespace {

constexpr int kOpened = 42;
constexpr int kFileNotFound = 2;
constexpr int kNoAssociation = 31;
constexpr int kFailed = 0;

constexpr std::chrono::milliseconds kExitWait{1500};
constexpr std::chrono::milliseconds kPollEvery{10};

// "scheme:" as in RFC 3986, at least two letters long so that nothing path-like passes.
bool has_scheme(const std::string& file) {
  const auto colon = file.find(':');
  if (colon == std::string::npos || colon < 2) return false;
  if (std::isalpha(static_cast<unsigned char>(file[0])) == 0) return false;
  return std::all_of(file.begin() + 1, file.begin() + static_cast<std::ptrdiff_t>(colon), [](char c) {
    return std::isalnum(static_cast<unsigned char>(c)) != 0 || c == '+' || c == '-' || c == '.';
  });
}

bool local_file_missing(const std::string& file, const std::string& folder) {
  if (file.empty()) return true;
  std::filesystem::path path(file);
  if (path.is_relative() && !folder.empty()) path = std::filesystem::path(folder) / path;
  std::error_code error;
  return !std::filesystem::exists(path, error);
}

// Started directly, never through a shell, so no character of `file` is interpreted.
std::optional<pid_t> start_xdg_open(const std::string& file, const std::string& folder) {
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  if (!folder.empty()) posix_spawn_file_actions_addchdir_np(&actions, folder.c_str());
  std::string program = "xdg-open";
  std::string argument = file;
  char* argv[] = {program.data(), argument.data(), nullptr};
  pid_t pid = 0;
  const int error = posix_spawnp(&pid, program.c_str(), &actions, nullptr, argv, environ);
  posix_spawn_file_actions_destroy(&actions);
  if (error != 0) return std::nullopt;
  return pid;
}

int result_of(int status) {
  if (!WIFEXITED(status)) return kFailed;
  switch (WEXITSTATUS(status)) {
    case 0:
      return kOpened;
    case 2:
      return kFileNotFound;
    case 1:
    case 3:
    case 4:
      return kNoAssociation;
    default:
      return kFailed;
  }
}

// The result once `pid` has ended, or nothing while it still runs after the wait.
std::optional<int> await_exit(pid_t pid) {
  const auto give_up = std::chrono::steady_clock::now() + kExitWait;
  for (;;) {
    int status = 0;
    const pid_t ended = waitpid(pid, &status, WNOHANG);
    if (ended == pid) return result_of(status);
    // Someone else collected it (SIGCHLD ignored): it did start, which is all we can know.
    if (ended < 0 && errno != EINTR) return kOpened;
    if (std::chrono::steady_clock::now() >= give_up) return std::nullopt;
    std::this_thread::sleep_for(kPollEvery);
  }
}

}  // namespace

int DesktopOpener::open(const std::string& file, const std::string& folder) {
  if (!has_scheme(file) && local_file_missing(file, folder)) return kFileNotFound;
  const std::optional<pid_t> pid = start_xdg_open(file, folder);
  if (!pid) return kFailed;
  const std::optional<int> result = await_exit(*pid);
  if (result) return *result;
  running_.push_back(*pid);
  return kOpened;
}

void DesktopOpener::reap() {
  std::erase_if(running_, [](pid_t pid) {
    const pid_t ended = waitpid(pid, nullptr, WNOHANG);
    return ended == pid || (ended < 0 && errno != EINTR);
  });
}

}  // namespace quarlyn
