#include "platform/fltk/desktop_wallpaper.h"

#include <fcntl.h>
#include <spawn.h>
#include <unistd.h>

#include <cctype>
#include <cstdio>

namespace quarlyn {

std::string file_uri(const std::string& path) {
  std::string uri = "file://";
  for (const char c : path) {
    const auto byte = static_cast<unsigned char>(c);
    if (std::isalnum(byte) != 0 || c == '-' || c == '.' || c == '_' || c == '~' || c == '/') {
      uri += c;
    } else {
      char escaped[4];
      std::snprintf(escaped, sizeof escaped, "%%%02X", byte);
      uri += escaped;
    }
  }
  return uri;
}

// Started directly, never through a shell, so no character of the path is interpreted.
pid_t start_desktop_wallpaper_setting(const std::string& path) {
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
  posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
  std::string program = "gsettings";
  std::string verb = "set";
  std::string schema = "org.gnome.desktop.background";
  std::string key = "picture-uri";
  std::string value = file_uri(path);
  char* argv[] = {program.data(), verb.data(), schema.data(), key.data(), value.data(), nullptr};
  pid_t pid = 0;
  const int error = posix_spawnp(&pid, program.c_str(), &actions, nullptr, argv, environ);
  posix_spawn_file_actions_destroy(&actions);
  return error == 0 ? pid : 0;
}

}  // namespace quarlyn
