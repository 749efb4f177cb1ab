// Waiting loops built on the runtime's yields.
#pragma once

#include <functional>

#include "platform/clock.h"
#include "platform/runtime.h"

namespace quarlyn {

// Yields to the window system `times` times, letting waiting events run.
inline void yield_times(Runtime& runtime, int times) {
  for (int i = 0; i < times; ++i) runtime.yield();
}

// Yields to the window system, sleeping in its event wait, until the clock reaches `deadline`
// (at least one yield). The deadline is compared by difference, so a wait that spans the
// clock's jump from its largest to its smallest value ends on time instead of lasting weeks.
inline void yield_until_reached(Runtime& runtime, int32_t deadline) {
  do {
    runtime.yield_until(deadline);
  } while (!clock_reached(runtime.time_get_time(), deadline));
}

// Yields to the window system for as long as `condition` holds. Each round sleeps in the
// event wait (up to a second), so an idle wait costs no processor time; the handlers that run
// inside the yields are what change the condition.
inline void yield_while(Runtime& runtime, const std::function<bool()>& condition) {
  constexpr int32_t kWakeEveryMs = 1000;
  while (condition()) runtime.yield_until(clock_add(runtime.time_get_time(), kWakeEveryMs));
}

}  // namespace quarlyn
