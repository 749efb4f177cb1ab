#include "config/configuration_window.h"

#include <algorithm>
#include <cmath>

#include "config/info_dialogs.h"
#include "config/options_dialog.h"
#include "config/window_art.h"
#include "platform/waiting.h"
#include "saver/music_and_sound.h"
#include "saver/saver_window.h"
#include "startup/default_files.h"
#include "startup/run_modes.h"
#include "startup/shell_services.h"

namespace quarlyn {

namespace {

constexpr int32_t kTuneTickMs = 250;
constexpr int kShowNormal = 1;
constexpr int kShellSucceeded = 32;

struct Place {
  Rect bounds;
  const char* tooltip;
};

constexpr Place kGameTypePlaces[kGameTypes] = {
    {{404, 31, 207, 35}, " Classic game with random blocks "},
    {{403, 69, 207, 35}, " The same blocks fall each game. How high can your score get? "},
    {{425, 110, 165, 35}, "Random blocks with a few obstacles. "},
    {{382, 150, 252, 43}, " Random blocks with ALOT of obstacles! "},
    {{424, 199, 169, 35}, " Always fast! This is a great way to increase your skills! "},
    {{395, 242, 223, 35}, " How fast can YOU clear 40 lines? "},
    {{404, 284, 208, 44}, " Only experts apply here! Random blocks with a few new block patterns. "},
};

constexpr const char* kTips[] = {
    " Welcome to Quarlyn! ",
    " During development we coined the phrase STACK AND RACK EM! ",
    " In 40 line mode the best way to a good time is to STACK AND RACK followed by lot's of BONUS! ",
    " Practicing on Blitz! mode will make you a better player! ",
    " If you make it to level 20 email us your score! ",
    " Feedback wanted! Send us your comments! ",
    " Click on OPTIONS to add your own pictures and music! ",
    " During the first few rounds go for a 4 line BONUS! ",
    " If you get past level 8 or 9 clear a line whenever possible! ",
    " Clearing 2-4 lines at a time greatly increases your score! ",
};

WindowArt art(WindowArt first, int offset) { return static_cast<WindowArt>(static_cast<int>(first) + offset); }

void place_button(CommandButton& button, const Rect& bounds, WindowArt face, const char* tooltip) {
  button.bounds = bounds;
  button.picture = window_art(face);
  button.ToolTipText = tooltip;
}

}  // namespace

frm_configuration::frm_configuration(Runtime& runtime, Settings& settings, RunFlags& flags)
    : Timer1(runtime), MMControl1(runtime.create_mm_control()), runtime_(runtime), settings_(settings), flags_(flags) {
  caption = kConfigurationWindowCaption;
  // The entry's single-instance test looks for this name.
  search_name = kConfigurationCaption;
  move({0, 0, 640, 480});
  place_controls();
  Form_Load = [this] { load(); };
  Form_Activate = [this] { activate(); };
  Form_Unload = [this] { unload(); };
  Timer1.on_timer = [this] { Timer1_Timer(); };
  MMControl1->StatusUpdate = [this] { MMControl1_StatusUpdate(); };
}

void frm_configuration::place_controls() {
  Image1.bounds = {0, 0, 640, 480};
  Image1.picture = window_art(WindowArt::kConfigurationBackground);
  controls = {&Image1};
  for (int type = 1; type <= kGameTypes; ++type) {
    const Place& place = kGameTypePlaces[type - 1];
    Image& image = type_image(type);
    image.bounds = place.bounds;
    image.ToolTipText = place.tooltip;
    image.Click = [this, type] { game_type_Click(type); };
    unselected_image(type).picture = window_art(art(WindowArt::kGameType1, type - 1));
    selected_image(type).picture = window_art(art(WindowArt::kGameType1Selected, type - 1));
    controls.push_back(&image);
  }
  Image9.bounds = {157, 85, 222, 35};
  Image9.picture = window_art(WindowArt::kTips);
  Image9.MouseMove = [this](int button, int shift, float x, float y) { Image9_MouseMove(button, shift, x, y); };
  controls.push_back(&Image9);
  setup_high_score_labels(scores);
  for (auto* column : {&scores.Label1, &scores.Label2, &scores.Label3}) {
    for (Label& label : *column) controls.push_back(&label);
  }
  place_button(Command7, {424, 353, 165, 53}, WindowArt::kStartButton, " Click here to start a new game! ");
  place_button(Command2, {138, 439, 96, 34}, WindowArt::kAboutButton, " Click here to learn more about Quarlyn! ");
  place_button(Command5, {239, 439, 116, 34}, WindowArt::kHomePageButton,
               " Click here to visit the Quarlyn home page on the internet! ");
  place_button(Command4, {360, 439, 114, 34}, WindowArt::kOptionsButton, " Click here to view the game options ");
  place_button(Command3, {479, 439, 74, 34}, WindowArt::kHelpButton, " Click here for help! ");
  place_button(Command6, {559, 439, 63, 34}, WindowArt::kExitButton, " Click here to exit this program ");
  Command7.Click = [this] { Command7_Click(); };
  Command2.Click = [this] { Command2_Click(); };
  Command5.Click = [this] { Command5_Click(); };
  Command4.Click = [this] { Command4_Click(); };
  Command3.Click = [this] { Command3_Click(); };
  Command6.Click = [this] { Command6_Click(); };
  for (CommandButton* button : {&Command7, &Command2, &Command5, &Command4, &Command3, &Command6}) {
    controls.push_back(button);
  }
  focus = &Command7;
}

Image& frm_configuration::type_image(int game_type) {
  Image* images[] = {&Image2, &Image3, &Image4, &Image5, &Image6, &Image7, &Image8};
  return *images[game_type - 1];
}

Image& frm_configuration::unselected_image(int game_type) {
  Image* images[] = {&Image10, &Image12, &Image14, &Image16, &Image18, &Image20, &Image22};
  return *images[game_type - 1];
}

Image& frm_configuration::selected_image(int game_type) {
  Image* images[] = {&Image11, &Image13, &Image15, &Image17, &Image19, &Image21, &Image23};
  return *images[game_type - 1];
}

void frm_configuration::load() {
  center_form(runtime_, *this);
  setup_tips();
  audio_open = 0;
  activated_once = 0;
  load_settings(runtime_, settings_);
  runtime_.yield();
  show_scores();
  update_display();
  music_on2();
}

void frm_configuration::activate() {
  if (activated_once != 0) return;
  activated_once = 1;
  if (settings_.show_welcome != 1) return;
  frm_welcome welcome(runtime_, settings_);
  runtime_.show_modal(welcome);
  if (settings_.show_welcome == 0) save_settings(runtime_, settings_);
}

// The window's own timer and device go with it.
void frm_configuration::unload() {
  save_settings(runtime_, settings_);
  Timer1.set_enabled(false);
  MMControl1->Command("Close");
}

void frm_configuration::setup_tips() {
  std::copy(std::begin(kTips), std::end(kTips), tips.begin() + 1);
  tip_count = 10;
}

void frm_configuration::update_display() {
  settings_.piece_type = settings_.game_difficulty == 7 ? 2 : 1;
  for (int type = 1; type <= kGameTypes; ++type) type_image(type).picture = unselected_image(type).picture;
  runtime_.yield();
  const int chosen = settings_.game_difficulty;
  if (chosen >= 1 && chosen <= kGameTypes) type_image(chosen).picture = selected_image(chosen).picture;
  runtime_.yield();
}

void frm_configuration::show_scores() { quarlyn::show_scores(settings_, scores); }

void frm_configuration::game_type_Click(int game_type) {
  settings_.game_difficulty = static_cast<int16_t>(game_type);
  update_display();
  show_scores();
}

// A first move always picks a tip: there is no last position yet.
void frm_configuration::Image9_MouseMove(int, int, float x, float y) {
  if (last_tip_x == x && last_tip_y == y) return;
  last_tip_x = x;
  last_tip_y = y;
  const auto tip = static_cast<size_t>(std::floor(tip_count * runtime_.rnd() + 1));
  Image9.ToolTipText = tips[tip];
}

void frm_configuration::Timer1_Timer() {
  if (setting_on(settings_.music_on) && audio_open == 0) play_audio(settings_.install_path + "title.mid");
}

void frm_configuration::play_audio(std::string x) {
  if (!setting_on(settings_.music_on)) return;
  MMControl& control = *MMControl1;
  control.Command("Close");
  control.Notify = true;
  control.Wait = false;
  control.Shareable = false;
  control.DeviceType = ends_in_wav(x) ? "WaveAudio" : "Sequencer";
  control.FileName = x;
  control.Command("Open");
  audio_open = 1;
  control.Command("Play");
}

void frm_configuration::MMControl1_StatusUpdate() {
  if (MMControl1->Mode() == MMControl::kStopped) audio_open = 0;
}

void frm_configuration::stop_audio() {
  MMControl1->Command("Close");
  audio_open = 0;
  for (int i = 0; i < 100; ++i) yield_times(runtime_, 4);
}

void frm_configuration::music_off() {
  Timer1.set_enabled(false);
  runtime_.yield();
  stop_audio();
  yield_times(runtime_, 5);
}

void frm_configuration::music_on2() {
  audio_open = 0;
  Timer1.set_interval(kTuneTickMs);
  Timer1.set_enabled(true);
  yield_times(runtime_, 2);
}

void frm_configuration::Command2_Click() {
  frm_about about(runtime_);
  runtime_.show_modal(about);
}

void frm_configuration::Command3_Click() {
  frm_help help(runtime_, settings_);
  runtime_.show_modal(help);
}

void frm_configuration::Command4_Click() {
  music_off();
  {
    frm_options options(runtime_, settings_);
    runtime_.show_modal(options);
  }
  save_settings(runtime_, settings_);
  music_on2();
}

void frm_configuration::Command5_Click() {
  if (runtime_.shell_execute(kHomePage, "", "", kShowNormal) <= kShellSucceeded) {
    runtime_.message_box(kBrowserErrorText, kErrorTitle);
  }
}

void frm_configuration::Command6_Click() { Unload(); }

// The saver window runs nested in this handler: its frame loop runs inside the yields of the
// wait below, and its unload clears `saver_running`, which brings this window back.
void frm_configuration::Command7_Click() {
  save_settings(runtime_, settings_);
  if (!graphics_files_present(settings_)) {
    runtime_.message_box("Error initializing game graphics! Please click on Options and use default settings.",
                         kErrorTitle);
    return;
  }
  music_off();
  flags_.robot_playing = 0;
  flags_.started_from_config = 1;
  flags_.saver_running = true;
  Hide();
  yield_times(runtime_, 4);
  {
    frm_screensaver saver(runtime_, settings_, flags_);
    saver.Show();
    yield_while(runtime_, [this] { return flags_.saver_running; });
  }
  runtime_.show_modeless(*this);
  yield_times(runtime_, 4);
  flags_.started_from_config = 0;
  show_scores();
  music_on2();
}

}  // namespace quarlyn
