// The drive, folder and file lists that the picture chooser and the playlist editor share.
#pragma once

#include <string>

#include "platform/controls.h"

namespace quarlyn {

class FolderBrowser {
 public:
  FolderBrowser(DriveListBox& drive, DirListBox& dir, FileListBox& file);

  // Shows `folder`, or the nearest folder above it that can be read, else the home folder. A
  // drive that cannot be opened later brings the lists back here.
  void open(const std::string& folder);
  // The file list's folder with `name` appended: "/name.mid" in the root folder.
  std::string full_path(const std::string& name) const;

 private:
  void Drive1_Change();

  DriveListBox& drive_;
  DirListBox& dir_;
  FileListBox& file_;
  std::string start_folder_;
};

}  // namespace quarlyn
