// A multimedia control that makes its real control only at its first "Play", so that nothing
// behind the real one (a sound module, a device) is touched by a program that never plays.
//
// Contract (beside `MMControl`'s, which it keeps):
// - Until the first "Play" of an open control, commands are only remembered: the control
//   reports stopped and raises `StatusUpdate` every 1000 ms while open, from its own timer,
//   before and after the real control exists.
// - At that "Play" it asks `make_real` for the real control, hands it the properties and
//   "Open", then the "Play". From then on every command goes to the real control with the
//   properties as they are at that moment, and `Mode()` is the real control's.
// - When `make_real` gives nothing, the control stays silent (always stopped) and never asks
//   again.
#pragma once

#include <functional>
#include <memory>
#include <string>

#include "platform/mm_control.h"
#include "platform/timer.h"

namespace quarlyn {

class Runtime;

class DeferredMMControl final : public MMControl {
 public:
  using MakeReal = std::function<std::unique_ptr<MMControl>()>;

  DeferredMMControl(Runtime& runtime, MakeReal make_real);

  void Command(const std::string& command) override;
  int32_t Mode() override;

 private:
  static constexpr int32_t kStatusIntervalMs = 1000;

  void make_real_control();
  void forward(const std::string& command);

  MakeReal make_real_;
  std::unique_ptr<MMControl> real_;
  bool asked_ = false;
  bool open_ = false;
  Timer status_timer_;
};

}  // namespace quarlyn
