// A window timer: while enabled with an interval above 0, its handler runs every `interval`
// milliseconds, always from inside a yield of the runtime, never in the middle of other code.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>

namespace quarlyn {

class Runtime;

class Timer {
 public:
  explicit Timer(Runtime& runtime);
  ~Timer();
  Timer(const Timer&) = delete;
  Timer& operator=(const Timer&) = delete;

  int32_t interval() const { return interval_; }
  bool enabled() const { return enabled_; }
  // Changing either restarts the count from now, as a window timer does.
  void set_interval(int32_t ms);
  void set_enabled(bool enabled);
  bool armed() const { return enabled_ && interval_ > 0; }

  // Called by the runtime when the interval has passed. A handler that yields does not get
  // called again until it has returned; a handler may stop, change or destroy its timer.
  void fire();

  std::function<void()> on_timer;

 private:
  Runtime& runtime_;
  int32_t interval_ = 0;
  bool enabled_ = false;
  // Shared with a running handler, so that it can tell whether the timer outlived it.
  std::shared_ptr<bool> firing_ = std::make_shared<bool>(false);
};

}  // namespace quarlyn
