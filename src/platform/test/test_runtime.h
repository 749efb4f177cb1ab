// The test runtime: a deterministic `Runtime` for headless tests.
//
// Time is a virtual millisecond clock that only yields move: `yield` costs `yield_cost_ms`
// (1 by default) and `yield_until` jumps straight to its deadline or to the next scheduled
// action or timer, whichever comes first. Timers and actions scheduled with `at`/`after` run
// inside yields when their time has come, in time order. Message boxes, cursor calls, system
// flags, shell opens and pointer moves are recorded; `screen_image` reads `shown_screen`.
// `end_program` throws `ProgramEnded`, so a test can see that the program would have ended
// there. A run that yields more than `max_yields` times throws instead of hanging the test
// suite.
#pragma once

#include <cstdint>
#include <filesystem>
#include <deque>
#include <functional>
#include <map>
#include <set>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "platform/random_source.h"
#include "platform/runtime.h"
#include "platform/settings_store.h"

namespace quarlyn {

struct RecordedMessageBox {
  std::string prompt;
  std::string title;
};

struct RecordedSystemCall {
  uint32_t action;
  int32_t value;
  std::string text;
  uint32_t flags;
};

struct RecordedShellOpen {
  std::string file;
  std::string parameters;
  std::string folder;
  int show;
};

class TestRuntime : public Runtime {
 public:
  // The settings store lives in a fresh temporary folder that is removed with the runtime.
  TestRuntime();
  ~TestRuntime() override;

  void yield() override;
  void yield_until(int32_t deadline_ms) override;
  void message_box(const std::string& prompt, const std::string& title) override;
  [[noreturn]] void end_program() override;
  bool window_exists(const std::string& caption) override;
  // Refused for the names in `instances_elsewhere`; every claim is recorded.
  bool claim_instance(const std::string& name) override;
  int show_cursor(bool show) override;
  void system_parameters(uint32_t action, int32_t value, const std::string& text, uint32_t flags) override;
  std::string windows_dir() override { return windows_dir_text; }
  int32_t time_get_time() override { return clock_; }
  std::string command_line() override { return command_line_text; }
  int screen_width() override { return screen_w; }
  int screen_height() override { return screen_h; }
  double twips_per_pixel_y() override { return twips_per_pixel; }
  Surface screen_image() override { return shown_screen; }
  void set_cursor_pos(int x, int y) override { cursor_positions.push_back({x, y}); }
  int shell_execute(const std::string& file, const std::string& parameters, const std::string& folder,
                    int show) override;
  SettingsStore& settings_store() override { return store_; }
  std::unique_ptr<MMControl> create_mm_control() override;
  // Shows the form: load, activation, then `on_modal`, which must unload it; then the form
  // that was active before is activated again.
  void show_modal(ModalForm& form) override;
  // Load (the first time), shown, activation; nothing waits.
  void show_modeless(ModalForm& form) override;
  std::unique_ptr<ScreenWindow> create_screen_window(const std::string& caption,
                                                     ScreenWindowHandler& handler) override;
  double rnd() override;
  void randomize() override;
  bool key_down(int virtual_key) override { return keys_down.count(virtual_key) > 0; }
  void key_poll_done() override { ++key_polls_done; }
  void timer_changed(Timer& timer) override;
  void timer_removed(Timer& timer) override;

  // Scripting.
  void set_clock(int32_t ms) { clock_ = ms; }
  void at(int32_t time_ms, std::function<void()> action);
  void after(int32_t ms, std::function<void()> action);
  const std::filesystem::path& folder() const { return folder_; }
  int64_t yields() const { return yields_; }

  int32_t yield_cost_ms = 1;
  int64_t max_yields = 50'000'000;
  std::string command_line_text;
  std::string windows_dir_text = "/home/player/.local/share/Dovrane Quarlyn/";
  std::set<std::string> open_windows;  // captions that window_exists finds
  std::set<std::string> instances_elsewhere;  // names another program has claimed
  std::vector<class TestScreenWindow*> screen_windows;  // the full-screen windows that exist
  int screen_w = 1024;
  int screen_h = 768;
  double twips_per_pixel = 15;
  Surface shown_screen;  // what `screen_image` reads
  int shell_result = 42;
  std::function<void(const RecordedMessageBox&)> on_message_box;  // runs inside the box
  std::function<void(ModalForm&)> on_modal;  // answers a modal form; must unload it
  std::set<int> keys_down;            // virtual-key codes held now
  std::deque<double> scripted_draws;  // taken by `rnd` before the seeded draws

  // Recorders.
  std::vector<RecordedMessageBox> message_boxes;
  std::vector<RecordedSystemCall> system_calls;
  std::vector<RecordedShellOpen> shell_opens;
  std::vector<bool> cursor_calls;
  std::vector<std::pair<int, int>> cursor_positions;  // where `set_cursor_pos` moved the pointer
  std::vector<struct RecordedCommand> mm_commands;
  std::vector<class TestMMControl*> mm_controls;  // every control created, in order
  std::vector<std::string> modal_forms;          // the captions of the forms shown modally
  std::vector<std::string> instance_claims;      // the names claimed, in order
  ModalForm* active_form = nullptr;              // the form last activated, while it is shown
  int cursor_count = 0;
  int randomize_calls = 0;
  int key_polls_done = 0;

 private:
  struct Scheduled {
    int32_t time;
    uint64_t order;
    std::function<void()> action;
  };

  void count_yield();
  // The earliest time at which something is scheduled, if it comes before `limit`.
  int32_t next_wake(int32_t limit) const;
  void run_due();
  void run_due_actions();
  void run_due_timers();

  std::filesystem::path folder_;
  SettingsStore store_;
  RandomSource random_;
  int32_t clock_ = 0;
  int64_t yields_ = 0;
  uint64_t next_order_ = 0;
  std::vector<Scheduled> scheduled_;
  struct TimerDue {
    int32_t time;
    uint64_t order;  // timers due together fire in the order they were started
  };
  std::map<Timer*, TimerDue> timers_;  // the armed timers
};

}  // namespace quarlyn
