#include "platform/file_listing.h"

#include <dirent.h>
#include <fnmatch.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cstdlib>
#include <sstream>
#include <string_view>

#include "platform/checked_file.h"
#include "platform/user_folders.h"

namespace quarlyn {

namespace {

constexpr size_t kMountTableLimit = 1 << 20;
constexpr std::array<std::string_view, 3> kBrowsableRoots = {"/media/", "/run/media/", "/mnt/"};

// The table writes blanks, tabs, newlines and backslashes in names as three octal digits.
std::string unescape_mount(const std::string& field) {
  std::string out;
  for (size_t i = 0; i < field.size(); ++i) {
    const bool octal = field[i] == '\\' && i + 3 < field.size() &&
                       std::all_of(field.begin() + static_cast<long>(i) + 1, field.begin() + static_cast<long>(i) + 4,
                                   [](char c) { return c >= '0' && c <= '7'; });
    if (octal) {
      out += static_cast<char>(std::stoi(field.substr(i + 1, 3), nullptr, 8));
      i += 3;
    } else {
      out += field[i];
    }
  }
  return out;
}

bool browsable(const std::string& mount_point) {
  return std::any_of(kBrowsableRoots.begin(), kBrowsableRoots.end(), [&](std::string_view root) {
    return mount_point.size() > root.size() && mount_point.compare(0, root.size(), root) == 0;
  });
}

std::string last_name(const std::string& path) {
  const size_t slash = path.find_last_of('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

bool is_folder(const std::string& path) {
  struct stat info {};
  return stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

// Entries of `folder` that are not hidden and for which `keep` holds, in name order.
template <typename Keep>
std::optional<std::vector<std::string>> list_entries(const std::string& folder, Keep keep) {
  DIR* dir = opendir(folder.c_str());
  if (dir == nullptr) return std::nullopt;
  std::vector<std::string> names;
  while (const dirent* entry = readdir(dir)) {
    const std::string name = entry->d_name;
    if (name.empty() || name[0] == '.') continue;
    if (keep(join_path(folder, name), name)) names.push_back(name);
  }
  closedir(dir);
  std::sort(names.begin(), names.end());
  return names;
}

}  // namespace

std::vector<std::string> browsable_mounts(const std::string& mount_table) {
  std::vector<std::string> points;
  std::istringstream lines(mount_table);
  std::string line;
  while (std::getline(lines, line)) {
    std::istringstream fields(line);
    std::string device;
    std::string point;
    if (!(fields >> device >> point)) continue;
    point = unescape_mount(point);
    if (browsable(point) && std::find(points.begin(), points.end(), point) == points.end()) points.push_back(point);
  }
  return points;
}

std::vector<Drive> list_drives() {
  std::vector<Drive> drives = {{"/", "/ (root)"}};
  const std::string home = home_folder().string();
  if (home != "/") drives.push_back({home, last_name(home) + " (home)"});
  CheckedFile table = CheckedFile::open("/proc/self/mounts", kAnyFileSize);
  std::optional<std::string> text;
  if (table) text = table.read_prefix(kMountTableLimit);
  for (const std::string& point : browsable_mounts(text.value_or(""))) {
    drives.push_back({point, last_name(point) + " (" + point + ")"});
  }
  return drives;
}

Drive drive_of(const std::vector<Drive>& drives, const std::string& path) {
  Drive found = {"/", "/"};
  size_t longest = 0;
  for (const Drive& drive : drives) {
    const bool holds = drive.path == "/" || path == drive.path ||
                       (path.size() > drive.path.size() && path.compare(0, drive.path.size(), drive.path) == 0 &&
                        path[drive.path.size()] == '/');
    if (holds && drive.path.size() >= longest) {
      longest = drive.path.size();
      found = drive;
    }
  }
  return found;
}

bool folder_readable(const std::string& path) {
  if (path.empty() || path[0] != '/') return false;
  DIR* dir = opendir(path.c_str());
  if (dir == nullptr) return false;
  closedir(dir);
  return true;
}

std::optional<std::vector<std::string>> list_folders(const std::string& folder) {
  return list_entries(folder, [](const std::string& path, const std::string&) { return is_folder(path); });
}

std::optional<std::vector<std::string>> list_files(const std::string& folder, const std::string& pattern) {
  return list_entries(folder, [&](const std::string& path, const std::string& name) {
    return !is_folder(path) && matches_pattern(name, pattern);
  });
}

bool matches_pattern(const std::string& name, const std::string& pattern) {
  std::istringstream parts(pattern);
  std::string part;
  while (std::getline(parts, part, ';')) {
    if (!part.empty() && fnmatch(part.c_str(), name.c_str(), FNM_CASEFOLD) == 0) return true;
  }
  return false;
}

std::string join_path(const std::string& folder, const std::string& name) {
  if (!folder.empty() && folder.back() == '/') return folder + name;
  return folder + "/" + name;
}

std::vector<std::string> folder_chain(const std::string& folder) {
  std::vector<std::string> chain = {"/"};
  std::string path;
  std::istringstream parts(folder);
  std::string part;
  while (std::getline(parts, part, '/')) {
    if (part.empty()) continue;
    path += "/" + part;
    chain.push_back(path);
  }
  return chain;
}

std::string nearest_readable_folder(const std::string& folder) {
  if (!folder.empty() && folder[0] == '/') {
    std::vector<std::string> chain = folder_chain(folder);
    for (auto it = chain.rbegin(); it != chain.rend(); ++it) {
      if (folder_readable(*it)) return *it;
    }
  }
  const std::string home = home_folder().string();
  return folder_readable(home) ? home : "/";
}

}  // namespace quarlyn
