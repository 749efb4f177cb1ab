// The test runtime's multimedia control: it plays nothing, but records every command with the
// properties it was given, reports status every 1000 ms while open, and plays until the test
// ends the tune (`finish`) or a command stops it.
#pragma once

#include <string>
#include <vector>

#include "platform/mm_control.h"
#include "platform/timer.h"

namespace quarlyn {

class TestRuntime;

struct RecordedCommand {
  int control;  // which control, numbered from 1 in order of creation
  std::string command;
  std::string device_type;
  std::string file_name;
  int32_t from;
  int32_t to;
  bool notify;
  bool wait;
  bool shareable;
};

class TestMMControl : public MMControl {
 public:
  TestMMControl(TestRuntime& runtime, int number);
  ~TestMMControl() override;

  void Command(const std::string& command) override;
  int32_t Mode() override { return playing_ ? kPlaying : kStopped; }

  // The tune or range that is playing comes to its end.
  void finish() { playing_ = false; }
  bool is_open() const { return open_; }
  int number() const { return number_; }

 private:
  static constexpr int32_t kPlaying = 526;

  TestRuntime& runtime_;
  int number_;
  bool open_ = false;
  bool playing_ = false;
  Timer status_timer_;
};

}  // namespace quarlyn
