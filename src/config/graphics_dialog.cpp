#include "config/graphics_dialog.h"

#include "config/dialog_look.h"
#include "config/picture_chooser.h"
#include "startup/default_files.h"
#include "startup/shell_services.h"

namespace quarlyn {

namespace {

constexpr std::array<const char*, kGraphicsFiles> kDescriptions = {
    "Background Picture 1 ",    "Background Picture 2 ",     "Background Picture 3 ", "Background Picture 4 ",
    "Background Picture 5 ",    "Background Picture 6 ",     "Background Picture 7 ", "Background Picture 8 ",
    "Background Picture 9 ",    "Background Picture 10 ",    "Bonus Graphic (200x80) ", "Blocks (200x220) ",
    "Game Over (160x200) ",     "Next Area (120x140) ",      "Numbers (200x25) ",     "Score Area (140x200) ",
    "Playfield Grid (210x480) ", "High Score (353x261) ",
};

constexpr int kRowTop = 40;
constexpr int kRowHeight = 24;

}  // namespace

frm_graphics::frm_graphics(Runtime& runtime, Settings& settings) : runtime_(runtime), settings_(settings) {
  caption = "Quarlyn - Graphics Selection";
  move({0, 0, 640, kRowTop + kGraphicsFiles * kRowHeight + 96});
  const LabelLook heading{9, true, kHeadingColour};
  set_label(Label3[0], {12, 14, 180, 18}, "Description:", heading);
  set_label(Label3[1], {196, 14, 390, 18}, "Filepath:", heading);
  set_label(Label3[2], {584, 14, 50, 18}, "Browse", heading);
  set_backdrop(Backdrop, {0, 0, bounds().width, bounds().height});
  controls = {&Backdrop, &Label3[0], &Label3[1], &Label3[2]};
  for (int i = 0; i < kGraphicsFiles; ++i) {
    const int top = kRowTop + i * kRowHeight;
    set_label(Label1[i], {12, top + 3, 180, 18}, kDescriptions[i]);
    set_label(Label2[i], {196, top + 3, 384, 18}, "", {8, false, kAccentColour});
    set_button(Command2[i], {592, top, 32, 20}, "...");
    Command2[i].Click = [this, i] { Command2_Click(i); };
    controls.insert(controls.end(), {&Label1[i], &Label2[i], &Command2[i]});
  }
  const int bottom = kRowTop + kGraphicsFiles * kRowHeight;
  set_label(Label4, {12, bottom + 12, 616, 18}, "Make sure you keep the same resolution for game specific graphics!",
            {9, false, kAccentColour, TextAlignment::kCenter});
  set_button(Command3, {200, bottom + 44, 110, 32}, "&Defaults");
  set_button(Command1, {330, bottom + 44, 110, 32}, "&Ok");
  controls.insert(controls.end(), {&Label4, &Command3, &Command1});
  focus = &Command1;
  Form_Load = [this] {
    place_centred(runtime_, *this);
    show_paths();
  };
  Command3.Click = [this] { Command3_Click(); };
  Command1.Click = [this] { Unload(); };
}

void frm_graphics::show_paths() {
  for (int i = 0; i < kGraphicsFiles; ++i) {
    Label2[i].Caption = settings_.graphics_files[i + 1];
  }
}

void frm_graphics::Command2_Click(int index) {
  frm_getgraphic chooser(runtime_, settings_);
  runtime_.show_modal(chooser);
  if (chooser.chosen_graphic_file.empty()) return;
  Label2[index].Caption = chooser.chosen_graphic_file;
  settings_.graphics_files[index + 1] = chooser.chosen_graphic_file;
}

void frm_graphics::Command3_Click() {
  default_graphics_files(settings_);
  show_paths();
  runtime_.yield();
}

}  // namespace quarlyn
