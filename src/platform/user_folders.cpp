#include "platform/user_folders.h"

#include <pwd.h>
#include <unistd.h>

#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

namespace quarlyn {

namespace {

bool absolute(const char* path) { return path != nullptr && path[0] == '/'; }

// Reentrant: the tune cache asks from its worker thread.
std::filesystem::path account_home_folder() {
  passwd entry{};
  passwd* found = nullptr;
  std::vector<char> buffer(16384);
  if (getpwuid_r(getuid(), &entry, buffer.data(), buffer.size(), &found) != 0 || found == nullptr) return {};
  return absolute(found->pw_dir) ? found->pw_dir : std::filesystem::path();
}

}  // namespace

std::filesystem::path home_folder() {
  if (const char* home = std::getenv("HOME"); absolute(home)) return home;
  std::filesystem::path account = account_home_folder();
  return account.empty() ? "/" : account;
}

std::filesystem::path xdg_home_folder(const char* variable, const char* below_home) {
  if (const char* folder = std::getenv(variable); absolute(folder)) return folder;
  return home_folder() / below_home;
}

std::vector<std::filesystem::path> xdg_config_dirs() {
  std::vector<std::filesystem::path> folders;
  const char* list = std::getenv("XDG_CONFIG_DIRS");
  std::string_view rest = list != nullptr ? list : "";
  while (!rest.empty()) {
    const std::size_t colon = rest.find(':');
    const std::string_view folder = rest.substr(0, colon);
    if (folder.starts_with('/')) folders.emplace_back(folder);
    rest = colon == std::string_view::npos ? std::string_view() : rest.substr(colon + 1);
  }
  if (folders.empty()) folders.emplace_back("/etc/xdg");
  return folders;
}

}  // namespace quarlyn
