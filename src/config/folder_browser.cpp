#include "config/folder_browser.h"

#include "platform/file_listing.h"

namespace quarlyn {

FolderBrowser::FolderBrowser(DriveListBox& drive, DirListBox& dir, FileListBox& file)
    : drive_(drive), dir_(dir), file_(file) {
  drive_.Change = [this] { Drive1_Change(); };
  dir_.Change = [this] { file_.set_path(dir_.Path); };
  // A folder that cannot be read keeps the files shown before.
  dir_.Click = [this] { file_.set_path(dir_.List(dir_.ListIndex)); };
}

void FolderBrowser::open(const std::string& folder) {
  start_folder_ = nearest_readable_folder(folder);
  drive_.set_drive(start_folder_);
  dir_.set_path(start_folder_);
}

std::string FolderBrowser::full_path(const std::string& name) const { return join_path(file_.Path, name); }

// A drive that cannot be opened (a medium taken out, no permission) brings back, silently, the
// folder the dialog opened in.
void FolderBrowser::Drive1_Change() {
  if (dir_.set_path(drive_.Drive)) return;
  drive_.set_drive(start_folder_);
  dir_.set_path(start_folder_);
}

}  // namespace quarlyn
