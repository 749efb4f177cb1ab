#include "platform/file_listing.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>

#include "platform/controls.h"
#include "support/temp_folder.h"

namespace quarlyn {
namespace {

using Names = std::vector<std::string>;

class FileListingTest : public ::testing::Test {
 protected:
  FileListingTest() {
    for (const char* name : {"b folder", ".hidden", "A", "z"}) std::filesystem::create_directory(root() + "/" + name);
    for (const char* name : {"PHOTO.JPG", "x.jpg", ".secret.jpg", "notes.txt", "two words.Gif", "\xff\xfe.bmp"}) {
      tree.file(name, 4);
    }
  }
  std::string root() const { return tree.path().string(); }

  testing::TempFolder tree;
};

TEST_F(FileListingTest, FoldersAndFilesInNameOrderWithoutHiddenOnesAndPatternsInAnyCase) {
  EXPECT_EQ(list_folders(root()), (Names{"A", "b folder", "z"}));
  EXPECT_EQ(list_files(root(), "*.bmp;*.gif;*.jpg"), (Names{"PHOTO.JPG", "two words.Gif", "x.jpg", "\xff\xfe.bmp"}));
  EXPECT_EQ(list_files(root(), "*.MID;*.rmi"), Names{});
  EXPECT_FALSE(list_files(root() + "/missing", "*"));
  EXPECT_FALSE(list_folders(root() + "/PHOTO.JPG"));
}

TEST_F(FileListingTest, AFolderWithoutPermissionCannotBeOpened) {
  if (geteuid() == 0) GTEST_SKIP() << "permissions do not bind the superuser";
  const std::string closed = root() + "/z";
  chmod(closed.c_str(), 0);
  EXPECT_FALSE(folder_readable(closed));
  EXPECT_FALSE(list_folders(closed));
  EXPECT_EQ(nearest_readable_folder(closed + "/deeper"), root());
  chmod(closed.c_str(), 0700);
}

TEST_F(FileListingTest, PathsChainsAndTheNearestFolderThatStillExists) {
  EXPECT_EQ(join_path("/", "a.mid"), "/a.mid");
  EXPECT_EQ(join_path("/music", "a.mid"), "/music/a.mid");
  EXPECT_EQ(folder_chain("/home/ann"), (Names{"/", "/home", "/home/ann"}));
  EXPECT_EQ(folder_chain("/"), Names{"/"});
  EXPECT_EQ(nearest_readable_folder(root() + "/gone/deeper"), root());
  EXPECT_EQ(nearest_readable_folder(""), home_folder());
}

TEST(Drives, TheRootTheHomeAndBrowsableMountsWithTheirBlanksDecoded) {
  const std::string table =
      "proc /proc proc rw 0 0\n"
      "/dev/sdb1 /media/ann/USB\\040STICK vfat rw 0 0\n"
      "/dev/sdc1 /run/media/ann/CAMERA vfat rw 0 0\n"
      "/dev/sdd1 /mnt/backup ext4 rw 0 0\n"
      "tmpfs /run/user/1000 tmpfs rw 0 0\n"
      "/dev/sda1 / ext4 rw 0 0\n";
  EXPECT_EQ(browsable_mounts(table), (Names{"/media/ann/USB STICK", "/run/media/ann/CAMERA", "/mnt/backup"}));
  const std::vector<Drive> drives = list_drives();
  ASSERT_GE(drives.size(), 1u);
  EXPECT_EQ(drives[0].path, "/");
  const std::vector<Drive> known = {{"/", "/"}, {"/mnt/backup", "backup"}};
  EXPECT_EQ(drive_of(known, "/mnt/backup/photos").path, "/mnt/backup");
  EXPECT_EQ(drive_of(known, "/mnt/backup2").path, "/");
}

TEST_F(FileListingTest, BrowserControlsFollowTheFileSystem) {
  DirListBox folders;
  FileListBox files;
  files.Pattern = "*.jpg";
  int changes = 0;
  folders.Change = [&] {
    ++changes;
    files.set_path(folders.Path);
  };
  ASSERT_TRUE(folders.set_path(root()));
  EXPECT_EQ(changes, 1);
  EXPECT_EQ(folders.rows.back(), root() + "/z");
  EXPECT_EQ(files.ListCount(), 2);
  EXPECT_FALSE(folders.set_path(root() + "/missing"));
  EXPECT_EQ(folders.Path, root());
  std::filesystem::create_directory(root() + "/A/inner");
  folders.double_click_row(folders.depth_of_path);
  EXPECT_EQ(folders.Path, root() + "/A");
  EXPECT_EQ(folders.rows.back(), root() + "/A/inner");
  EXPECT_EQ(files.ListCount(), 0);
}

TEST(ListBoxSelection, ExtendedSelectionWithShiftAndCtrl) {
  ListBox list;
  list.MultiSelect = true;
  for (const char* row : {"a", "b", "c", "d", "e"}) list.AddItem(row);
  const auto selected = [&] {
    std::string rows;
    for (int i = 0; i < list.ListCount(); ++i) rows += list.Selected(i) ? list.List(i) : "";
    return rows;
  };
  list.click_row(1);
  list.click_row(3, 1);
  EXPECT_EQ(selected(), "bcd");
  list.click_row(4, 2);
  list.click_row(2, 2);
  EXPECT_EQ(selected(), "bde");
  list.click_row(0, 1);
  EXPECT_EQ(selected(), "abc") << "Shift extends from the last Ctrl click";
  list.click_row(4);
  EXPECT_EQ(selected(), "e");
  EXPECT_EQ(list.ListIndex, 4);
  list.RemoveItem(4);
  EXPECT_EQ(list.ListIndex, -1);
  list.MultiSelect = false;
  list.click_row(0);
  list.click_row(2, 3);
  EXPECT_EQ(selected(), "c");
  for (int i = 0; i < 40000; ++i) list.AddItem("row");
  EXPECT_EQ(list.ListCount(), 32767) << "row counts stay within their 16 bits";
}

}  // namespace
}  // namespace quarlyn
