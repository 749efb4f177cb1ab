// The saver window: a full-screen window in which the game runs. Its first activation sets up
// the first game and runs the frame loop, which returns only when the saver ends; the window
// then unloads itself and clears `saver_running`, for which its caller waits.
#pragma once

#include <memory>

#include "platform/screen_window.h"
#include "platform/timer.h"
#include "saver/saver_context.h"

namespace quarlyn {

class frm_screensaver : public ScreenWindowHandler {
 public:
  frm_screensaver(Runtime& runtime, Settings& settings, RunFlags& flags);
  ~frm_screensaver() override;

  // Loads the window and shows it modeless; the game starts at its first activation.
  void Show();

  void Form_Load();
  void Form_Activate() override;
  void Form_Paint() override;
  void Form_Resize() override;
  void Form_KeyDown(int key_code, int shift) override;
  void ascreen_KeyPress(int character) override;
  void Form_MouseMove() override;
  void Form_Unload();

  void main_loop();
  void do_keypress();
  void handle_mousemoves();
  void saver_end();

  Saver& saver() { return saver_; }
  ScreenWindow& window() { return *window_; }

 private:
  void run_frame();
  void wait_for_next_frame();
  void take_over_if_asked();

  Saver saver_;
  std::unique_ptr<ScreenWindow> window_;
  Timer Timer1;
};

}  // namespace quarlyn
