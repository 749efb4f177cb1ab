#include "startup/default_files.h"

#include <array>

#include "startup/shell_services.h"

namespace quarlyn {

namespace {

constexpr std::array<const char*, kGraphicsFiles> kDefaultPictures = {
    "back1.bmp", "back2.bmp", "back3.bmp",    "back4.bmp", "back5.bmp",   "back6.bmp",
    "back7.bmp", "back8.bmp", "back9.bmp",    "back10.bmp", "bonus.bmp",  "bricks.bmp",
    "gameover.bmp", "next.bmp", "numbers.bmp", "score.bmp", "grid.bmp",   "hiscore.bmp",
};

constexpr int kDefaultTunes = 10;

}  // namespace

void default_graphics_files(Settings& s) {
  for (int i = 1; i <= kGraphicsFiles; ++i) s.graphics_files[i] = s.install_path + kDefaultPictures[i - 1];
}

void default_audio_files(Settings& s) {
  s.audio_files_total = kDefaultTunes;
  for (int i = 1; i <= kDefaultTunes; ++i) s.audio_files[i] = s.install_path + "music" + std::to_string(i) + ".mid";
}

bool graphics_files_present(const Settings& s) {
  // Every entry is tested, so the check costs the same however many are missing.
  int missing = 0;
  for (int i = 1; i <= kGraphicsFiles; ++i)
    if (!file_exists(s.graphics_files[i])) missing = 1;
  return missing == 0;
}

}  // namespace quarlyn
