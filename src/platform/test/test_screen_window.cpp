#include "platform/test/test_screen_window.h"

#include "platform/test/test_runtime.h"

namespace quarlyn {

TestScreenWindow::TestScreenWindow(TestRuntime& runtime, std::string caption, ScreenWindowHandler& handler)
    : runtime_(runtime), caption_(std::move(caption)), handler_(handler) {
  runtime_.screen_windows.push_back(this);
}

TestScreenWindow::~TestScreenWindow() {
  *alive_ = false;
  std::erase(runtime_.screen_windows, this);
  runtime_.open_windows.erase(caption_);
}

void TestScreenWindow::show() {
  shown_ = true;
  ++show_count;
  move({0, 0, runtime_.screen_width(), runtime_.screen_height()});
  runtime_.open_windows.insert(caption_);
  std::weak_ptr<bool> alive = alive_;
  runtime_.after(0, [this, alive] {
    if (!alive.expired() && shown_) handler_.Form_Activate();
  });
}

void TestScreenWindow::close() {
  shown_ = false;
  runtime_.open_windows.erase(caption_);
}

void TestScreenWindow::show_surface(Surface& screen) {
  surface_ = &screen;
  screen.track_changes(true);
}

}  // namespace quarlyn
