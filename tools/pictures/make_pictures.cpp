// Writes the game's default pictures, or the configuration windows' pictures, as 24-bit BMP
// files into a folder.
//
//   make_pictures OUTPUT_FOLDER
//   make_pictures --window-art OUTPUT_FOLDER REGULAR_FONT BOLD_FONT
#include <cstdio>
#include <filesystem>
#include <future>
#include <stdexcept>
#include <string>
#include <vector>

#include "pictures.h"
#include "platform/picture_files.h"
#include "window_art.h"

namespace {

struct PictureFile {
  const char* name;
  quarlyn::Canvas (*make)();
};

constexpr PictureFile kPictures[] = {
    {"back1.bmp", quarlyn::make_aurora_night},
    {"back2.bmp", quarlyn::make_sunset_dunes},
    {"back3.bmp", quarlyn::make_underwater},
    {"back4.bmp", quarlyn::make_nebula},
    {"back5.bmp", quarlyn::make_dawn_mountains},
    {"back6.bmp", quarlyn::make_neon_horizon},
    {"back7.bmp", quarlyn::make_misty_forest},
    {"back8.bmp", quarlyn::make_volcano},
    {"back9.bmp", quarlyn::make_ice_crystals},
    {"back10.bmp", quarlyn::make_galaxy},
    {"grid.bmp", quarlyn::make_grid},
    {"next.bmp", quarlyn::make_next},
    {"score.bmp", quarlyn::make_score},
    {"numbers.bmp", quarlyn::make_numbers},
    {"bonus.bmp", quarlyn::make_bonus},
    {"gameover.bmp", quarlyn::make_gameover},
    {"bricks.bmp", quarlyn::make_bricks},
    {"hiscore.bmp", quarlyn::make_hiscore},
};

int window_art(char** argv) {
  std::error_code error;
  std::filesystem::create_directories(argv[2], error);
  try {
    if (quarlyn::write_window_art(argv[2], argv[3], argv[4])) return 0;
    std::fprintf(stderr, "%s: cannot write into %s\n", argv[0], argv[2]);
  } catch (const std::runtime_error& failure) {
    std::fprintf(stderr, "%s: %s\n", argv[0], failure.what());
  }
  return 1;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 5 && std::string(argv[1]) == "--window-art") return window_art(argv);
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s OUTPUT_FOLDER | --window-art OUTPUT_FOLDER REGULAR_FONT BOLD_FONT\n", argv[0]);
    return 2;
  }
  std::error_code error;
  std::filesystem::create_directories(argv[1], error);
  // Each picture is drawn on its own thread: most of the time goes into per-pixel noise.
  std::vector<std::future<quarlyn::Surface>> drawn;
  for (const PictureFile& picture : kPictures) {
    drawn.push_back(std::async(std::launch::async, [&picture] { return picture.make().to_surface(); }));
  }
  for (size_t i = 0; i < drawn.size(); ++i) {
    std::string path = (std::filesystem::path(argv[1]) / kPictures[i].name).string();
    if (!quarlyn::save_picture(drawn[i].get(), path)) {
      std::fprintf(stderr, "%s: cannot write %s\n", argv[0], path.c_str());
      return 1;
    }
  }
  return 0;
}
