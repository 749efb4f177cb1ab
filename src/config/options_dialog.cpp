#include "config/options_dialog.h"

#include <algorithm>

#include "config/dialog_look.h"
#include "config/graphics_dialog.h"
#include "config/music_dialog.h"
#include "config/window_art.h"
#include "startup/shell_services.h"

namespace quarlyn {

frm_options::frm_options(Runtime& runtime, Settings& settings) : runtime_(runtime), settings_(settings) {
  caption = "Quarlyn - Options";
  move({0, 0, 400, 300});
  Picture1.bounds = {0, 0, 400, 300};
  Picture1.picture = window_art(WindowArt::kOptionsBackground);
  Frame1.bounds = {20, 16, 360, 86};
  Frame1.Caption = "Adjust The Frame Rate";
  Frame1.ForeColor = kHeadingColour;
  HScroll1.bounds = {40, 46, 320, 18};
  HScroll1.Min = kFastestFrameRate;
  HScroll1.Max = kSlowestFrameRate;
  HScroll1.SmallChange = 1;
  HScroll1.LargeChange = 5;
  set_label(Label2, {40, 70, 100, 18}, "Faster");
  set_label(Label3, {260, 70, 100, 18}, "Slower", {9, false, kTextColour, TextAlignment::kRight});
  Check2.bounds = {36, 116, 170, 22};
  Check2.Caption = "Play Music";
  Check2.ForeColor = kTextColour;
  Check1.bounds = {36, 142, 170, 22};
  Check1.Caption = "Play Sound Fx";
  Check1.ForeColor = kTextColour;
  set_label(Label5, {20, 184, 360, 40},
            "With the included graphics and music tools, you can add your own graphics and music to Quarlyn!",
            {9, false, kAccentColour, TextAlignment::kCenter});
  set_button(Command2, {220, 112, 160, 26}, "Select &Graphics");
  set_button(Command4, {220, 144, 160, 26}, "Select &Music");
  set_button(Command1, {160, 248, 80, 32}, "&Ok");
  controls = {&Picture1, &Frame1,   &HScroll1, &Label2, &Label3,  &Check2,
              &Check1,   &Command2, &Command4, &Label5, &Command1};
  focus = &Command1;
  Form_Load = [this] { load(); };
  Form_Unload = [this] { unload(); };
  Command1.Click = [this] { Unload(); };
  Command2.Click = [this] { Command2_Click(); };
  Command4.Click = [this] { Command4_Click(); };
}

// Stored values that only a hand-edited store holds come in as the nearest the controls show.
void frm_options::load() {
  place_centred(runtime_, *this);
  Check1.Value = setting_on(settings_.soundfx_on) ? 1 : 0;
  Check2.Value = setting_on(settings_.music_on) ? 1 : 0;
  HScroll1.Value = static_cast<int16_t>(std::clamp<int>(settings_.frame_rate, kFastestFrameRate, kSlowestFrameRate));
}

void frm_options::unload() {
  settings_.soundfx_on = std::to_string(Check1.Value);
  settings_.music_on = std::to_string(Check2.Value);
  settings_.frame_rate = HScroll1.Value;
}

void frm_options::Command2_Click() {
  frm_graphics graphics(runtime_, settings_);
  runtime_.show_modal(graphics);
}

void frm_options::Command4_Click() {
  frm_music music(runtime_, settings_);
  runtime_.show_modal(music);
}

}  // namespace quarlyn
