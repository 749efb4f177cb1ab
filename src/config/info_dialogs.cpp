#include "config/info_dialogs.h"

#include "config/dialog_look.h"
#include "config/window_art.h"
#include "platform/waiting.h"
#include "startup/shell_services.h"

namespace quarlyn {

namespace {

constexpr int kShowNormal = 1;
constexpr int kShellSucceeded = 32;  // a result above this is success

bool opened(int result) { return result > kShellSucceeded; }

}  // namespace

std::string version_line(const ProgramVersion& version) {
  return "Version " + std::to_string(version.major) + "." + std::to_string(version.minor) + "." +
         std::to_string(version.revision);
}

frm_about::frm_about(Runtime& runtime, ProgramVersion version) : runtime_(runtime), version_(version) {
  caption = "About";
  move({0, 0, 440, 344});
  Image2.bounds = {0, 0, 440, 344};
  Image2.picture = window_art(WindowArt::kAboutBackground);
  Image3.bounds = {22, 22, 72, 72};
  Image3.picture = window_art(WindowArt::kAboutBlocks);
  Image1.bounds = {106, 16, 310, 64};
  Image1.picture = window_art(WindowArt::kAboutLogo);
  set_label(Label1, {106, 82, 310, 24}, "Quarlyn", {14, true, kTextColour, TextAlignment::kCenter});
  set_label(Label2, {106, 108, 310, 18}, "Version 0.0.0", {9, false, kHeadingColour, TextAlignment::kCenter});
  set_label(Label5, {30, 140, 380, 18}, "Home Page On The Internet:", {9, true, kHeadingColour});
  set_label(Label3, {30, 160, 380, 18}, "", {9, false, kAccentColour});
  set_label(Label6, {30, 186, 380, 18}, "Email Address:", {9, true, kHeadingColour});
  set_label(Label4, {30, 206, 380, 18}, "", {9, false, kAccentColour});
  set_button(Command4, {20, 236, 400, 52},
             "Click Here To Visit Our Home Page On The Internet Where You Can Learn About Our Other Products! "
             "Games - Screen Savers - Utilities - And More!");
  set_button(Command1, {180, 298, 80, 30}, "&Ok");
  controls = {&Image2, &Image3, &Image1, &Label1, &Label2, &Label5, &Label3, &Label6, &Label4, &Command4, &Command1};
  focus = &Command1;
  Form_Load = [this] { load(); };
  Command4.Click = [this] { Command4_Click(); };
  Command1.Click = [this] { Unload(); };
}

void frm_about::load() {
  center_form(runtime_, *this);
  caption = std::string("About - ") + "Quarlyn";
  Label2.Caption = version_line(version_);
  Label3.Caption = kHomePage;
  Label4.Caption = kEmailAddress;
  bring_to_front(Image1);
}

void frm_about::Command4_Click() {
  const int result = runtime_.shell_execute(kHomePage, "", "", kShowNormal);
  runtime_.yield();
  if (!opened(result)) runtime_.message_box(kHomePage, "Failed To Launch Default Web Browser!");
  yield_times(runtime_, 3);
  Unload();
}

void frm_about::launch_file(std::string file, std::string params, int32_t show) {
  const std::string name = file_name_of(file);
  const std::string folder = file.substr(0, file.size() - name.size());
  if (!opened(runtime_.shell_execute(file, params, folder, show))) runtime_.message_box(file, "Failed To Launch File!");
}

frm_help::frm_help(Runtime& runtime, const Settings& settings) : runtime_(runtime), settings_(settings) {
  caption = "Quarlyn - Help";
  move({0, 0, 430, 340});
  Image2.bounds = {0, 0, 430, 340};
  Image2.picture = window_art(WindowArt::kHelpBackground);
  set_label(Label1, {20, 16, 390, 22}, "Quarlyn Is Played Using The Keyboard.", {11, true, kHeadingColour});
  const char* const keys[] = {"Left Arrow  or  A = Move Piece To The Left", "Right Arrow  or  D = Move Piece To The Right",
                              "Up Arrow  or  W = Rotate Piece",             "Down Arrow  or  S = Move Piece Down",
                              "Space Key = Quick Drop",                     "ESC Key =  Exit Game"};
  for (size_t i = 0; i < Label2.size(); ++i) {
    set_label(Label2[i], {30, 48 + 21 * static_cast<int>(i), 370, 19}, keys[i]);
  }
  set_label(Label3, {20, 182, 390, 20}, "Quarlyn supports right and left handed players!", {9, true, kAccentColour});
  set_button(Command1, {40, 290, 200, 32}, "View Detailed &Help");
  Command1.ToolTipText = " Click here to open your browser and view the Quarlyn detailed help file. ";
  set_button(Command2, {290, 290, 100, 32}, "&Exit");
  controls = {&Image2, &Label1, &Label2[0], &Label2[1], &Label2[2], &Label2[3],
              &Label2[4], &Label2[5], &Label3, &Command1, &Command2};
  focus = &Command1;
  Form_Load = [this] { center_form(runtime_, *this); };
  Command1.Click = [this] { Command1_Click(); };
  Command2.Click = [this] { Unload(); };
}

void frm_help::Command1_Click() {
  if (!opened(runtime_.shell_execute(settings_.install_path + "help.htm", "", "", kShowNormal))) {
    runtime_.message_box(kBrowserErrorText, kErrorTitle);
  }
}

frm_welcome::frm_welcome(Runtime& runtime, Settings& settings) : runtime_(runtime), settings_(settings) {
  caption = "Welcome To Quarlyn!";
  move({0, 0, 480, 400});
  Image1.bounds = {0, 0, 480, 400};
  Image1.picture = window_art(WindowArt::kWelcomeBackground);
  Image2.bounds = {85, 12, 310, 64};
  Image2.picture = window_art(WindowArt::kWelcomeLogo);
  set_label(Label1[0], {24, 88, 432, 48},
            "Thank you for taking the time to download and install Quarlyn onto your computer. If you have any "
            "comments or suggestions about this program please take the time to email your comments to:");
  set_label(Label1[1], {24, 138, 432, 18}, kEmailAddress, {9, true, kAccentColour});
  set_label(Label2[0], {24, 168, 432, 18}, "From the main configuration screen:", {9, true, kHeadingColour});
  set_label(Label2[1], {40, 188, 416, 18}, "Help - This brings up the Quarlyn help information.");
  set_label(Label2[2], {40, 206, 416, 18}, "Options - This is where you can configure various game options.");
  set_label(Label3, {24, 236, 432, 48},
            "This program was designed to run on systems with more than 256 colors. If the colors do not look good "
            "during the game you may want to change your DISPLAY SETTINGS to have more than 256 colors.");
  Check1.bounds = {24, 300, 320, 22};
  Check1.Caption = "Display this message at program start up";
  Check1.ForeColor = kTextColour;
  set_button(Command1, {340, 350, 116, 32}, "&Continue");
  controls = {&Image1, &Image2, &Label1[0], &Label1[1], &Label2[0], &Label2[1],
              &Label2[2], &Label3, &Check1, &Command1};
  focus = &Command1;
  Form_Load = [this] {
    place_centred(runtime_, *this);
    Check1.Value = settings_.show_welcome;
  };
  Form_Unload = [this] { settings_.show_welcome = Check1.Value; };
  Command1.Click = [this] { Unload(); };
}

}  // namespace quarlyn
