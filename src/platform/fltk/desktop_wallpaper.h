// Telling a desktop that keeps its own wallpaper setting about a new wallpaper file.
//
// Contract of `start_desktop_wallpaper_setting`: where `gsettings` is on the PATH, starts
// `gsettings set org.gnome.desktop.background picture-uri <file URI of path>` without waiting
// for it and returns its process id for the caller to collect; its output goes nowhere. Returns
// 0 when nothing could be started. `file_uri` percent-encodes every byte of the absolute path
// but letters, digits, "-._~" and "/".
#pragma once

#include <sys/types.h>

#include <string>

namespace quarlyn {

std::string file_uri(const std::string& path);
pid_t start_desktop_wallpaper_setting(const std::string& path);

}  // namespace quarlyn
