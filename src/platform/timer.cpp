#include "platform/timer.h"

#include "platform/runtime.h"

namespace quarlyn {

Timer::Timer(Runtime& runtime) : runtime_(runtime) {}

Timer::~Timer() { runtime_.timer_removed(*this); }

void Timer::set_interval(int32_t ms) {
  interval_ = ms;
  runtime_.timer_changed(*this);
}

void Timer::set_enabled(bool enabled) {
  enabled_ = enabled;
  runtime_.timer_changed(*this);
}

void Timer::fire() {
  if (*firing_ || !armed() || !on_timer) return;
  auto firing = firing_;
  auto handler = on_timer;
  *firing = true;
  handler();
  *firing = false;
}

}  // namespace quarlyn
