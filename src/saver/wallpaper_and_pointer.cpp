#include "saver/wallpaper_and_pointer.h"

#include <filesystem>
#include <utility>

#include "platform/picture_files.h"
#include "saver/sprite_extras.h"
#include "saver/whole_numbers.h"
#include "startup/shell_services.h"

namespace quarlyn {

namespace {

// The per-user folder is made on first use; without one there is nowhere to write.
bool write_screen_picture(Runtime& runtime, const Surface& picture, std::string& path) {
  const std::string folder = runtime.windows_dir();
  if (folder.empty()) return false;
  std::error_code ignored;
  std::filesystem::create_directories(folder, ignored);
  path = folder + kWallpaperFileName;
  return save_picture(picture, path);
}

}  // namespace

void save_wallpaper(Saver& saver) {
  Runtime& runtime = saver.runtime;
  saver.message_line.scroller.visible = false;
  runtime.yield();
  if (saver.screen_window != nullptr) saver.screen_window->set_time_box("", false);
  runtime.yield();
  blit_sprites(saver);
  const int width = saver.window.screen_width;
  const int height = saver.window.screen_height;
  // The back buffer lends itself for the picture; the game's frames go on drawing from it, so
  // it gets its own image back once the file is written.
  Surface back_buffer = std::exchange(saver.screen.background_work, Surface(width, height));
  bitblt(saver.screen.background_work, 0, 0, width, height, runtime.screen_image(), 0, 0, SRCCOPY);
  std::string path;
  const bool written = write_screen_picture(runtime, saver.screen.background_work, path);
  saver.screen.background_work = std::move(back_buffer);
  if (written) set_desktop_wallpaper(runtime, path);
  runtime.yield();
}

void set_mouseposition(Saver& saver, double x, double Y) {
  // Without a window the point stays as given, as a failed conversion leaves it.
  Rect client{};
  if (saver.screen_window != nullptr) client = saver.screen_window->bounds();
  const auto to_screen = [](int origin, double pixels) {
    return whole(static_cast<double>(origin) + whole(pixels));
  };
  saver.runtime.set_cursor_pos(to_screen(client.left, x), to_screen(client.top, Y));
}

}  // namespace quarlyn
