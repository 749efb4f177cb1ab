// The configuration window: the game type, its high-score table, a random tip, the title tune
// in a loop, the dialogs, and a person's game started in the saver window and returned from.
#pragma once

#include <array>
#include <memory>
#include <optional>
#include <string>

#include "config/high_score_view.h"
#include "platform/controls.h"
#include "platform/mm_control.h"
#include "platform/timer.h"
#include "startup/run_flags.h"
#include "startup/settings.h"

namespace quarlyn {

inline constexpr const char* kConfigurationWindowCaption = "Welcome to Quarlyn!";

class frm_configuration : public ModalForm {
 public:
  frm_configuration(Runtime& runtime, Settings& settings, RunFlags& flags);

  // Image2 to Image8: game types 1 to 7. Image10 to Image23 hold the unselected (even) and
  // selected (odd) picture of each type; they are never shown themselves.
  Image Image1, Image2, Image3, Image4, Image5, Image6, Image7, Image8, Image9;
  Image Image10, Image11, Image12, Image13, Image14, Image15, Image16, Image17, Image18, Image19, Image20,
      Image21, Image22, Image23;
  CommandButton Command7, Command2, Command5, Command4, Command3, Command6;
  HighScoreLabels scores;  // Label1, Label2, Label3
  Timer Timer1;
  std::unique_ptr<MMControl> MMControl1;

  std::array<std::string, 11> tips;  // 1 to 10
  int16_t tip_count = 0;
  int16_t audio_open = 0;
  int16_t activated_once = 0;
  std::optional<float> last_tip_x;
  std::optional<float> last_tip_y;

  // Image2_Click to Image8_Click.
  void game_type_Click(int game_type);
  void Image9_MouseMove(int button, int shift, float x, float y);
  void Command2_Click();
  void Command3_Click();
  void Command4_Click();
  void Command5_Click();
  void Command6_Click();
  void Command7_Click();
  void Timer1_Timer();
  void MMControl1_StatusUpdate();

  void setup_tips();
  void update_display();
  void play_audio(std::string x);
  void stop_audio();
  void music_off();
  void music_on2();
  void show_scores();

 private:
  void load();
  void activate();
  void unload();
  void place_controls();
  Image& type_image(int game_type);
  Image& unselected_image(int game_type);
  Image& selected_image(int game_type);

  Runtime& runtime_;
  Settings& settings_;
  RunFlags& flags_;
};

}  // namespace quarlyn
