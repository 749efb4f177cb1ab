// The file system as the browsing dialogs show it: drives, folders and files.
//
// - A drive is a place a person keeps files on: the root folder, the home folder, and each
//   mounted file system under /media, /run/media or /mnt (read from /proc/self/mounts; the
//   system's pseudo file systems never lie there). Each has a readable name.
// - Folders and files are listed in byte order of their names, hidden ones (a leading ".")
//   left out. Names are kept as the bytes the file system holds, valid UTF-8 or not.
// - A folder that cannot be read gives nullopt, never an exception.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace quarlyn {

struct Drive {
  std::string path;  // a folder, "/" or without a trailing "/"
  std::string name;  // what the list shows
};

std::vector<Drive> list_drives();
// The drive holding `path`: the one whose folder is the longest leading part of it.
Drive drive_of(const std::vector<Drive>& drives, const std::string& path);
// The mount points a mount table (the text of /proc/self/mounts) names under the browsable
// folders, in table order, with the table's escapes (\040 for a blank) decoded.
std::vector<std::string> browsable_mounts(const std::string& mount_table);

// Is `path` a folder the program may list?
bool folder_readable(const std::string& path);
// The subfolders of `folder` (names only), or nullopt when it cannot be read.
std::optional<std::vector<std::string>> list_folders(const std::string& folder);
// The files of `folder` whose names match `pattern` (see `matches_pattern`), or nullopt.
std::optional<std::vector<std::string>> list_files(const std::string& folder, const std::string& pattern);
// `pattern` is one or more wildcard patterns separated by ";" ("*.bmp;*.gif"); letter case is
// not compared.
bool matches_pattern(const std::string& name, const std::string& pattern);

// `folder` with `name` appended, one "/" between them.
std::string join_path(const std::string& folder, const std::string& name);
// The folders from the root down to `folder` ("/", "/home", "/home/ann"); `folder` absolute.
std::vector<std::string> folder_chain(const std::string& folder);
// `folder` when it can be listed, else the nearest folder above it that can, else the home
// folder, else "/".
std::string nearest_readable_folder(const std::string& folder);

}  // namespace quarlyn
