#include "platform/fltk/shell_open.h"

#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <filesystem>
#include <optional>
#include <utility>

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

std::filesystem::path local_path(const std::string& file, const std::string& folder) {
  std::filesystem::path path(file);
  if (path.is_relative() && !folder.empty()) path = std::filesystem::path(folder) / path;
  return path;
}

bool local_file_missing(const std::string& file, const std::string& folder) {
  if (file.empty()) return true;
  std::error_code error;
  return !std::filesystem::exists(local_path(file, folder), error);
}

bool executable_file(const std::string& file, const std::string& folder) {
  const std::filesystem::path path = local_path(file, folder);
  std::error_code error;
  return std::filesystem::is_regular_file(path, error) && access(path.c_str(), X_OK) == 0;
}

// Blanks separate arguments; double quotes keep blanks in one and are themselves dropped.
std::vector<std::string> split_parameters(const std::string& parameters) {
  std::vector<std::string> arguments;
  std::string argument;
  bool in_argument = false;
  bool quoted = false;
  for (const char c : parameters) {
    if (c == '"') {
      quoted = !quoted;
      in_argument = true;
    } else if (!quoted && (c == ' ' || c == '\t')) {
      if (in_argument) arguments.push_back(std::exchange(argument, {}));
      in_argument = false;
    } else {
      argument += c;
      in_argument = true;
    }
  }
  if (in_argument) arguments.push_back(argument);
  return arguments;
}

struct Started {
  pid_t pid = 0;
  int error = 0;  // of posix_spawn; 0 when the program runs
};

// Started directly, never through a shell, so no character of an argument is interpreted.
// `search_path` looks the program up on PATH.
Started start(std::vector<std::string> arguments, const std::string& folder, bool search_path) {
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  if (!folder.empty()) posix_spawn_file_actions_addchdir_np(&actions, folder.c_str());
  std::vector<char*> argv;
  for (std::string& argument : arguments) argv.push_back(argument.data());
  argv.push_back(nullptr);
  Started started;
  const auto spawn = search_path ? posix_spawnp : posix_spawn;
  started.error = spawn(&started.pid, argv[0], &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  return started;
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
std::optional<int> await_exit(pid_t pid, const DesktopOpener::WaitStep& wait_step) {
  const auto give_up = std::chrono::steady_clock::now() + kExitWait;
  for (;;) {
    int status = 0;
    const pid_t ended = waitpid(pid, &status, WNOHANG);
    if (ended == pid) return result_of(status);
    // Someone else collected it (SIGCHLD ignored): it did start, which is all we can know.
    if (ended < 0 && errno != EINTR) return kOpened;
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(give_up - std::chrono::steady_clock::now());
    if (left <= std::chrono::milliseconds::zero()) return std::nullopt;
    wait_step(std::min(left, kPollEvery));
  }
}

// Starts `file` itself with `parameters` as its arguments; nothing when the system cannot run it
// (a document that merely carries the execute bit, as on a FAT mount), which then opens as one.
std::optional<int> run_program(const std::string& file, const std::string& parameters, const std::string& folder,
                               std::vector<pid_t>& running) {
  std::vector<std::string> arguments = split_parameters(parameters);
  arguments.insert(arguments.begin(), file);
  const Started program = start(std::move(arguments), folder, false);
  if (program.error == ENOEXEC) return std::nullopt;
  if (program.error != 0) return kFailed;
  running.push_back(program.pid);
  return kOpened;
}

}  // namespace

int DesktopOpener::open(const std::string& file, const std::string& parameters, const std::string& folder,
                        const WaitStep& wait_step) {
  const bool address = has_scheme(file);
  if (!address && local_file_missing(file, folder)) return kFileNotFound;
  if (!address && executable_file(file, folder)) {
    if (const std::optional<int> result = run_program(file, parameters, folder, running_)) return *result;
  }
  const Started opener = start({"xdg-open", file}, folder, true);
  if (opener.error != 0) return kFailed;
  const std::optional<int> result = await_exit(opener.pid, wait_step);
  if (result) return *result;
  running_.push_back(opener.pid);
  return kOpened;
}

void DesktopOpener::reap() {
  std::erase_if(running_, [](pid_t pid) {
    const pid_t ended = waitpid(pid, nullptr, WNOHANG);
    return ended == pid || (ended < 0 && errno != EINTR);
  });
}

}  // namespace quarlyn
