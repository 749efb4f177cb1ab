#include "startup/default_files.h"

#include <gtest/gtest.h>

#include "support/temp_folder.h"

namespace quarlyn {
namespace {

TEST(DefaultFiles, ListsLieInTheProgramFolder) {
  Settings s;
  s.install_path = "/usr/share/quarlyn/";
  default_graphics_files(s);
  default_audio_files(s);
  EXPECT_EQ(s.graphics_files[0], "");
  EXPECT_EQ(s.graphics_files[1], "/usr/share/quarlyn/back1.bmp");
  EXPECT_EQ(s.graphics_files[10], "/usr/share/quarlyn/back10.bmp");
  EXPECT_EQ(s.graphics_files[12], "/usr/share/quarlyn/bricks.bmp");
  EXPECT_EQ(s.graphics_files[18], "/usr/share/quarlyn/hiscore.bmp");
  EXPECT_EQ(s.audio_files_total, 10);
  EXPECT_EQ(s.audio_files[1], "/usr/share/quarlyn/music1.mid");
  EXPECT_EQ(s.audio_files[10], "/usr/share/quarlyn/music10.mid");
}

TEST(DefaultFiles, DefaultPlaylistLeavesLongerEntriesBeyondTheCount) {
  Settings s;
  s.install_path = "/q/";
  s.audio_files_total = 25;
  for (int i = 1; i <= 25; ++i) s.audio_files[i] = "song" + std::to_string(i);
  default_audio_files(s);
  EXPECT_EQ(s.audio_files_total, 10);
  EXPECT_EQ(s.audio_files[10], "/q/music10.mid");
  EXPECT_EQ(s.audio_files[11], "song11");
  EXPECT_EQ(s.audio_files[25], "song25");
}

TEST(GraphicsFilesPresent, EveryPictureMustBeLongerThanOneByte) {
  testing::TempFolder folder;
  Settings s;
  s.install_path = folder.path().string() + "/";
  default_graphics_files(s);
  for (int i = 1; i <= kGraphicsFiles; ++i) folder.file(std::filesystem::path(s.graphics_files[i]).filename(), 2);
  EXPECT_TRUE(graphics_files_present(s));

  folder.file("numbers.bmp", 1);
  EXPECT_FALSE(graphics_files_present(s));
  folder.file("numbers.bmp", 2);

  const auto before = s.graphics_files;
  s.graphics_files[5] = "empty";
  s.graphics_files[18] = "/nowhere/hiscore.bmp";
  EXPECT_FALSE(graphics_files_present(s));
  EXPECT_EQ(s.graphics_files[5], "empty");
  EXPECT_EQ(s.graphics_files[1], before[1]);
}

}  // namespace
}  // namespace quarlyn
