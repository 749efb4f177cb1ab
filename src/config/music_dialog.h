// The music playlist editor: MIDI files picked from the disks, added to the playlist up to its
// limit, removed, or replaced by the default tunes; a double click previews a file or an entry.
// Only Ok (and Defaults, at once) changes the settings' playlist.
#pragma once

#include <memory>
#include <string>

#include "config/folder_browser.h"
#include "platform/controls.h"
#include "platform/mm_control.h"
#include "platform/runtime.h"
#include "startup/settings.h"

namespace quarlyn {

class frm_music : public ModalForm {
 public:
  frm_music(Runtime& runtime, Settings& settings);

  Image Backdrop;
  DriveListBox Drive1;
  DirListBox Dir1;
  FileListBox File1;
  ListBox List2;
  CommandButton Command1, Command2, Command5, Command4, Command3, Command6;
  Label Label1, Label2;
  std::unique_ptr<MMControl> MMControl1;

 private:
  void load();
  void unload();
  // Adds rows of `File1` while the playlist has room; each row met when it is full brings up
  // the limit message once.
  void add_files(bool selected_only);
  void Command5_Click();
  void Command4_Click();
  void Command3_Click();
  void do_audio();
  void play_audio(const std::string& x);

  Runtime& runtime_;
  Settings& settings_;
  FolderBrowser browser_;
};

}  // namespace quarlyn
