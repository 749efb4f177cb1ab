// The user's folders, by one rule everywhere: the home folder is $HOME when it is an absolute
// path, else the one the user's account names, else "/"; an XDG base folder is its variable when
// that holds an absolute path, else its usual place under the home folder.
#pragma once

#include <filesystem>
#include <vector>

namespace quarlyn {

std::filesystem::path home_folder();
// `variable` (say "XDG_CONFIG_HOME") when absolute, else the home folder's `below_home` (".config").
std::filesystem::path xdg_home_folder(const char* variable, const char* below_home);
// The absolute folders of $XDG_CONFIG_DIRS, most important first; "/etc/xdg" when there is none.
std::vector<std::filesystem::path> xdg_config_dirs();

}  // namespace quarlyn
