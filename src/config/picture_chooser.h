// The picture chooser: drive, folder and file lists of BMP, GIF and JPEG files; a click on a file
// chooses it and previews it, scaled to fit the preview box with its proportions kept, centred.
#pragma once

#include <string>

#include "config/folder_browser.h"
#include "platform/controls.h"
#include "platform/runtime.h"
#include "startup/settings.h"

namespace quarlyn {

class frm_getgraphic : public ModalForm {
 public:
  frm_getgraphic(Runtime& runtime, Settings& settings);

  Image Backdrop;
  DriveListBox Drive1;
  DirListBox Dir1;
  FileListBox File1;
  PictureBox destination_image;
  // Holds the loaded picture at its own size; never shown, so it is not among the controls.
  PictureBox source_image;
  CommandButton Command2, Command1;

  // The full path of the file chosen, or "" for none; read once the dialog has closed.
  std::string chosen_graphic_file;
  // Where the preview is drawn inside `destination_image`.
  double preview_left = 0, preview_top = 0, preview_width = 0, preview_height = 0;

  // Fits a ContW x ContH picture into the area at per2 percent of it: the picture touches two
  // opposite sides and is centred between the other two.
  void center_control_check_scale(double AreaT, double AreaL, double AreaH, double AreaW, double ContH,
                                  double ContW, double per2);

 private:
  void file1_Click();

  Runtime& runtime_;
  Settings& settings_;
  FolderBrowser browser_;
  // The last clicked file that loaded: a file that is not a readable picture is never chosen.
  std::string last_readable_;
};

}  // namespace quarlyn
