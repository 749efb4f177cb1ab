#include "startup/shell_services.h"

#include <cmath>
#include <filesystem>

#include "platform/clock.h"
#include "platform/waiting.h"

namespace quarlyn {

void enter_saver_mode(Runtime& runtime) {
  runtime.system_parameters(kSpiSetScreenSaverRunning, -1, "", 0);
  runtime.system_parameters(kSpiSetScreenSaveActive, 0, "", 0);
}

void leave_saver_mode(Runtime& runtime) {
  runtime.system_parameters(kSpiSetScreenSaverRunning, 0, "", 0);
  runtime.system_parameters(kSpiSetScreenSaveActive, -1, "", 0);
}

void set_desktop_wallpaper(Runtime& runtime, const std::string& path) {
  constexpr uint32_t kUpdateProfileAndAnnounce = 3;
  runtime.system_parameters(kSpiSetDeskWallpaper, 0, path, kUpdateProfileAndAnnounce);
}

int32_t time_now_ms(Runtime& runtime) { return runtime.time_get_time(); }

void pause_ms(Runtime& runtime, int32_t ms) { yield_until_reached(runtime, clock_add(time_now_ms(runtime), ms)); }

bool file_exists(const std::string& path) {
  std::error_code error;
  auto length = std::filesystem::file_size(path, error);
  return !error && length > 1;
}

std::string file_name_of(const std::string& path) {
  size_t slash = path.rfind('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

void show_cursor(Runtime& runtime) {
  while (runtime.show_cursor(true) < 0) {
  }
}

void hide_cursor(Runtime& runtime) {
  while (runtime.show_cursor(false) >= 0) {
  }
}

void place_centred(Runtime& runtime, Form& form) {
  Rect bounds = form.bounds();
  float left = runtime.screen_width() / 2.0f - bounds.width / 2.0f;
  float top = runtime.screen_height() / 2.0f - bounds.height / 2.0f;
  bounds.left = static_cast<int>(std::lround(left));
  bounds.top = static_cast<int>(std::lround(top));
  form.move(bounds);
}

void center_form(Runtime& runtime, Form& form) {
  place_centred(runtime, form);
  runtime.yield();
}

}  // namespace quarlyn
