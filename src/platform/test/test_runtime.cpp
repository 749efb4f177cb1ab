#include "platform/test/test_runtime.h"

#include <stdlib.h>

#include <algorithm>

#include "platform/clock.h"
#include "platform/controls.h"
#include "platform/test/test_mm_control.h"
#include "platform/test/test_screen_window.h"
#include "platform/timer.h"

namespace quarlyn {

namespace {

std::filesystem::path make_temp_folder() {
  std::string pattern = (std::filesystem::temp_directory_path() / "quarlyn-test-XXXXXX").string();
  if (mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("cannot create a temporary folder");
  return pattern;
}

}  // namespace

TestRuntime::TestRuntime() : folder_(make_temp_folder()), store_(folder_ / "settings.ini", "Config") {}

TestRuntime::~TestRuntime() {
  std::error_code ignored;
  std::filesystem::remove_all(folder_, ignored);
}

void TestRuntime::count_yield() {
  if (++yields_ > max_yields) throw std::runtime_error("the program yielded without end");
}

void TestRuntime::yield() {
  count_yield();
  clock_ = clock_add(clock_, yield_cost_ms);
  run_due();
}

void TestRuntime::yield_until(int32_t deadline_ms) {
  if (clock_reached(clock_, deadline_ms)) {
    yield();
    return;
  }
  count_yield();
  clock_ = next_wake(deadline_ms);
  run_due();
}

int32_t TestRuntime::next_wake(int32_t limit) const {
  int32_t wake = limit;
  auto consider = [&](int32_t time) {
    if (clock_diff(time, clock_) < clock_diff(wake, clock_)) wake = time;
  };
  for (const auto& s : scheduled_) consider(s.time);
  for (const auto& [timer, due] : timers_) consider(due.time);
  // Something overdue runs now, without moving the clock back.
  return clock_diff(wake, clock_) < 0 ? clock_ : wake;
}

void TestRuntime::run_due() {
  run_due_actions();
  run_due_timers();
}

void TestRuntime::run_due_actions() {
  for (;;) {
    auto due = std::min_element(scheduled_.begin(), scheduled_.end(), [](const Scheduled& a, const Scheduled& b) {
      return a.time != b.time ? clock_diff(a.time, b.time) < 0 : a.order < b.order;
    });
    if (due == scheduled_.end() || !clock_reached(clock_, due->time)) return;
    auto action = std::move(due->action);
    scheduled_.erase(due);
    action();
  }
}

void TestRuntime::run_due_timers() {
  std::vector<std::pair<TimerDue, Timer*>> due;
  for (const auto& [timer, when] : timers_)
    if (clock_reached(clock_, when.time)) due.push_back({when, timer});
  std::sort(due.begin(), due.end(), [](const auto& a, const auto& b) {
    return a.first.time != b.first.time ? clock_diff(a.first.time, b.first.time) < 0 : a.first.order < b.first.order;
  });
  for (const auto& [when, timer] : due) {
    auto entry = timers_.find(timer);
    if (entry == timers_.end() || !clock_reached(clock_, entry->second.time)) continue;
    // Like a window timer, one that fell behind fires once and then keeps its cadence from now.
    int32_t next = clock_add(entry->second.time, timer->interval());
    entry->second.time = clock_reached(clock_, next) ? clock_add(clock_, timer->interval()) : next;
    timer->fire();
  }
}

void TestRuntime::at(int32_t time_ms, std::function<void()> action) {
  scheduled_.push_back({time_ms, next_order_++, std::move(action)});
}

void TestRuntime::after(int32_t ms, std::function<void()> action) { at(clock_add(clock_, ms), std::move(action)); }

void TestRuntime::message_box(const std::string& prompt, const std::string& title) {
  message_boxes.push_back({prompt, title});
  if (on_message_box) on_message_box(message_boxes.back());
}

double TestRuntime::rnd() {
  if (scripted_draws.empty()) return random_.draw();
  double draw = scripted_draws.front();
  scripted_draws.pop_front();
  return draw;
}

void TestRuntime::randomize() {
  ++randomize_calls;
  random_.reseed(clock_);
}

void TestRuntime::end_program() { throw ProgramEnded{}; }

bool TestRuntime::window_exists(const std::string& caption) { return open_windows.count(caption) > 0; }

bool TestRuntime::claim_instance(const std::string& name) {
  instance_claims.push_back(name);
  return instances_elsewhere.count(name) == 0;
}

int TestRuntime::show_cursor(bool show) {
  cursor_calls.push_back(show);
  cursor_count += show ? 1 : -1;
  return cursor_count;
}

void TestRuntime::system_parameters(uint32_t action, int32_t value, const std::string& text, uint32_t flags) {
  system_calls.push_back({action, value, text, flags});
}

int TestRuntime::shell_execute(const std::string& file, const std::string& parameters, const std::string& folder,
                               int show) {
  shell_opens.push_back({file, parameters, folder, show});
  return shell_result;
}

std::unique_ptr<MMControl> TestRuntime::create_mm_control() {
  auto control = std::make_unique<TestMMControl>(*this, static_cast<int>(mm_controls.size()) + 1);
  mm_controls.push_back(control.get());
  return control;
}

void TestRuntime::show_modal(ModalForm& form) {
  modal_forms.push_back(form.caption);
  ModalForm* previous = active_form != nullptr && active_form->shown() ? active_form : nullptr;
  form.mark_loaded();
  if (form.Form_Load) form.Form_Load();
  if (!form.loaded()) return;
  form.mark_shown();
  active_form = &form;
  if (form.Form_Activate) form.Form_Activate();
  if (on_modal && form.loaded()) on_modal(form);
  if (form.loaded()) throw std::logic_error("a modal form was left open");
  active_form = previous;
  if (previous != nullptr && previous->shown() && previous->Form_Activate) previous->Form_Activate();
}

void TestRuntime::show_modeless(ModalForm& form) {
  if (!form.loaded()) {
    form.mark_loaded();
    if (form.Form_Load) form.Form_Load();
    if (!form.loaded()) return;
  }
  form.mark_shown();
  active_form = &form;
  if (form.Form_Activate) form.Form_Activate();
}

std::unique_ptr<ScreenWindow> TestRuntime::create_screen_window(const std::string& caption,
                                                               ScreenWindowHandler& handler) {
  return std::make_unique<TestScreenWindow>(*this, caption, handler);
}

void TestRuntime::timer_changed(Timer& timer) {
  if (timer.armed())
    timers_[&timer] = {clock_add(clock_, timer.interval()), next_order_++};
  else
    timers_.erase(&timer);
}

void TestRuntime::timer_removed(Timer& timer) { timers_.erase(&timer); }

}  // namespace quarlyn
