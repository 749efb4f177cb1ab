#include "platform/test/test_mm_control.h"

#include "platform/test/test_runtime.h"

namespace quarlyn {

TestMMControl::TestMMControl(TestRuntime& runtime, int number)
    : runtime_(runtime), number_(number), status_timer_(runtime) {
  status_timer_.set_interval(1000);
  status_timer_.on_timer = [this] {
    if (StatusUpdate) StatusUpdate();
  };
}

TestMMControl::~TestMMControl() { std::erase(runtime_.mm_controls, this); }

void TestMMControl::Command(const std::string& command) {
  runtime_.mm_commands.push_back(
      {number_, command, DeviceType, FileName, From, To, Notify, Wait, Shareable});
  if (command == "Open") {
    open_ = true;
  } else if (command == "Play") {
    playing_ = open_;
  } else if (command == "Stop") {
    playing_ = false;
  } else if (command == "Close") {
    open_ = false;
    playing_ = false;
  }
  status_timer_.set_enabled(open_);
}

}  // namespace quarlyn
