#include "config/music_dialog.h"

#include <algorithm>

#include "config/dialog_look.h"
#include "saver/music_and_sound.h"
#include "startup/default_files.h"
#include "startup/shell_services.h"

namespace quarlyn {

frm_music::frm_music(Runtime& runtime, Settings& settings)
    : MMControl1(runtime.create_mm_control()), runtime_(runtime), settings_(settings), browser_(Drive1, Dir1, File1) {
  caption = "Quarlyn - Music Selection";
  move({0, 0, 640, 460});
  set_backdrop(Backdrop, {0, 0, 640, 460});
  Drive1.bounds = {12, 12, 220, 28};
  Dir1.bounds = {12, 48, 220, 200};
  File1.bounds = {244, 12, 384, 236};
  File1.MultiSelect = true;
  set_label(Label1, {244, 252, 384, 18}, "Double Click On A File To Preview It", {9, false, kAccentColour});
  set_button(Command1, {12, 256, 170, 28}, "Add &Selected File(s)");
  Command1.ToolTipText = " Add the music files that are currently selected ";
  set_button(Command2, {12, 290, 170, 28}, "Add &All File(s)");
  Command2.ToolTipText = " Add all music files from this directory ";
  set_label(Label2, {244, 276, 384, 18}, "List of music files to play during Quarlyn:", {9, true, kHeadingColour});
  List2.bounds = {244, 296, 384, 112};
  List2.MultiSelect = true;
  List2.ToolTipText = "This is a list of music files to play during Quarlyn! ";
  set_button(Command5, {12, 324, 170, 28}, "&Remove Selected File(s)");
  Command5.ToolTipText = " Removes the selected music files from the playback list ";
  set_button(Command4, {12, 358, 170, 28}, "&Defaults");
  Command4.ToolTipText = " Use default music settings ";
  set_button(Command3, {412, 418, 100, 32}, "&Ok");
  set_button(Command6, {528, 418, 100, 32}, "&Cancel");
  controls = {&Backdrop, &Drive1,   &Dir1,     &File1,    &Label1,   &Command1, &Command2,
              &Label2,   &List2,    &Command5, &Command4, &Command3, &Command6};
  focus = &Command3;
  Form_Load = [this] { load(); };
  Form_Unload = [this] { unload(); };
  Command1.Click = [this] { add_files(true); };
  Command2.Click = [this] { add_files(false); };
  Command5.Click = [this] { Command5_Click(); };
  Command4.Click = [this] { Command4_Click(); };
  Command3.Click = [this] { Command3_Click(); };
  Command6.Click = [this] { Unload(); };
  File1.DblClick = [this] { do_audio(); };
  List2.DblClick = [this] {
    if (List2.ListIndex != -1) play_audio(List2.List(List2.ListIndex));
  };
}

void frm_music::load() {
  place_centred(runtime_, *this);
  File1.Pattern = "*.mid;*.rmi";
  browser_.open(settings_.music_browse_path);
  const int total = std::clamp(settings_.audio_files_total, 0, kMaxAudioFiles);
  for (int i = 1; i <= total; ++i) List2.AddItem(settings_.audio_files[i]);
  runtime_.yield();
}

void frm_music::unload() {
  MMControl1->Command("Close");
  runtime_.yield();
  settings_.music_browse_path = File1.Path;
}

void frm_music::add_files(bool selected_only) {
  if (File1.ListCount() == 0) return;
  for (int i = 0; i < File1.ListCount(); ++i) {
    if (List2.ListCount() < kMaxAudioFiles) {
      if (!selected_only || File1.Selected(i)) List2.AddItem(browser_.full_path(File1.List(i)));
    } else {
      runtime_.message_box("Maximum of 500 Audio Files Reached!", "Screen Saver Audio Files");
    }
  }
  runtime_.yield();
}

void frm_music::Command5_Click() {
  if (List2.ListCount() == 0) return;
  for (int i = List2.ListCount() - 1; i >= 0; --i) {
    if (List2.Selected(i)) List2.RemoveItem(i);
  }
  List2.ListIndex = -1;
}

// The defaults go into the settings at once, so they stay after Cancel.
void frm_music::Command4_Click() {
  default_audio_files(settings_);
  List2.Clear();
  runtime_.yield();
  for (int i = 1; i <= settings_.audio_files_total; ++i) List2.AddItem(settings_.audio_files[i]);
  runtime_.yield();
}

void frm_music::Command3_Click() {
  settings_.audio_files_total = List2.ListCount();
  for (int i = 1; i <= settings_.audio_files_total; ++i) settings_.audio_files[i] = List2.List(i - 1);
  Unload();
}

void frm_music::do_audio() {
  const std::string name = File1.FileName();
  if (!name.empty()) play_audio(browser_.full_path(name));
}

// Plays whatever the music setting says: a preview is asked for.
void frm_music::play_audio(const std::string& x) {
  MMControl1->Command("Close");
  MMControl1->Notify = true;
  MMControl1->Wait = false;
  MMControl1->Shareable = false;
  MMControl1->DeviceType = ends_in_wav(x) ? "WaveAudio" : "Sequencer";
  MMControl1->FileName = x;
  MMControl1->Command("Open");
  MMControl1->Command("Play");
}

}  // namespace quarlyn
