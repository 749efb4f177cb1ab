// The test runtime's full-screen window: it keeps the model only. Tests send it events through
// its handler; its first activation arrives in the yield after `show`, as on screen.
#pragma once

#include <memory>
#include <string>

#include "platform/screen_window.h"

namespace quarlyn {

class TestRuntime;

class TestScreenWindow : public ScreenWindow {
 public:
  TestScreenWindow(TestRuntime& runtime, std::string caption, ScreenWindowHandler& handler);
  ~TestScreenWindow() override;

  void show() override;
  void close() override;
  bool shown() const override { return shown_; }
  void show_surface(Surface& screen) override;
  void set_time_box(const std::string& text, bool visible) override {
    time_box_text = text;
    time_box_visible = visible;
  }

  const std::string& caption() const { return caption_; }
  Surface* surface() const { return surface_; }
  ScreenWindowHandler& handler() { return handler_; }
  int show_count = 0;
  std::string time_box_text;
  bool time_box_visible = false;

 private:
  TestRuntime& runtime_;
  std::string caption_;
  ScreenWindowHandler& handler_;
  Surface* surface_ = nullptr;
  bool shown_ = false;
  std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
};

}  // namespace quarlyn
