#include "config/picture_chooser.h"

#include <algorithm>
#include <cmath>

#include "config/dialog_look.h"
#include "platform/picture_files.h"
#include "startup/shell_services.h"

namespace quarlyn {

frm_getgraphic::frm_getgraphic(Runtime& runtime, Settings& settings)
    : runtime_(runtime), settings_(settings), browser_(Drive1, Dir1, File1) {
  caption = "Select A Graphic";
  move({0, 0, 384, 528});
  set_backdrop(Backdrop, {0, 0, 384, 528});
  Drive1.bounds = {4, 4, 188, 28};
  Dir1.bounds = {4, 40, 188, 189};
  File1.bounds = {196, 4, 184, 224};
  File1.MultiSelect = false;
  // 3765 x 2475, the preview's proportions, at a tenth.
  destination_image.bounds = {4, 235, 376, 247};
  destination_image.Cls();
  source_image.AutoSize = true;
  source_image.bounds = {621, 0, 0, 0};
  source_image.visible = false;
  set_button(Command2, {126, 490, 114, 33}, "&Cancel");
  set_button(Command1, {265, 490, 114, 33}, "&Ok");
  controls = {&Backdrop, &Drive1, &Dir1, &File1, &destination_image, &Command2, &Command1};
  focus = &File1;
  Form_Load = [this] {
    place_centred(runtime_, *this);
    File1.Pattern = "*.bmp;*.gif;*.jpg";
    browser_.open(settings_.graphics_browse_path);
    chosen_graphic_file = "";
  };
  Form_Unload = [this] { settings_.graphics_browse_path = File1.Path; };
  File1.Click = [this] { file1_Click(); };
  Command1.Click = [this] { Unload(); };
  Command2.Click = [this] {
    chosen_graphic_file = "";
    Unload();
  };
}

void frm_getgraphic::file1_Click() {
  const std::string name = File1.FileName();
  const std::string path = browser_.full_path(name);
  chosen_graphic_file = path;
  if (name.empty()) return;
  // Decoded at the preview's size: a camera photo need never stand whole in memory.
  source_image.set_picture(load_picture(path, [this](int width, int height) {
                             center_control_check_scale(0, 0, destination_image.height(), destination_image.width(),
                                                        height, width, 100);
                             return Rect{0, 0, std::max(1, static_cast<int>(std::lround(preview_width))),
                                         std::max(1, static_cast<int>(std::lround(preview_height)))};
                           }).value_or(Surface()));
  // A file that is not a readable picture leaves the preview empty and the last good choice.
  if (source_image.picture.empty()) {
    chosen_graphic_file = last_readable_;
  } else {
    last_readable_ = path;
  }
  runtime_.yield();
  runtime_.yield();
  destination_image.Cls();
  runtime_.yield();
  center_control_check_scale(0, 0, destination_image.height(), destination_image.width(), source_image.height(),
                             source_image.width(), 100);
  destination_image.PaintPicture(source_image, static_cast<float>(preview_left), static_cast<float>(preview_top),
                                 static_cast<float>(preview_width), static_cast<float>(preview_height));
  runtime_.yield();
}

void frm_getgraphic::center_control_check_scale(double AreaT, double AreaL, double AreaH, double AreaW, double ContH,
                                                double ContW, double per2) {
  // An empty picture has nothing to fit.
  if (ContW <= 0 || ContH <= 0) {
    preview_left = preview_top = preview_width = preview_height = 0;
    return;
  }
  const double ratio = ContW / ContH;
  const double f = per2 / 100;
  double w = 0;
  double h = 0;
  if (ContW >= ContH) {
    w = AreaW * f;
    h = w / ratio;
    if (h > AreaH * f) {
      h = AreaH * f;
      w = h * ratio;
    }
  } else {
    h = AreaH * f;
    w = h * ratio;
  }
  double left = AreaL + (AreaW - w) / 2;
  double top = AreaT + (AreaH - h) / 2;
  if (left < 0) left = 0;
  if (top < 0) top = 0;
  preview_left = left;
  preview_top = top;
  preview_width = w;
  preview_height = h;
}

}  // namespace quarlyn
