// Runs the real saver for a while and prints how long its frames really took: every frame's
// wait ends at its start plus the frame rate, so the gaps between those deadlines are the frame
// periods, overruns included (tune changes happen inside the waits). Also prints the
// processor time the whole process used, music synthesis included, and how many times per frame
// memory was taken with operator new once the first seconds of start-up are past.
//
//   saver_timing SECONDS
#include <sys/resource.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstddef>
#include <cstdlib>
#include <memory>
#include <new>
#include <vector>

#include "platform/fltk/real_runtime.h"
#include "platform/settings_store.h"
#include "platform/timer.h"
#include "saver/game.h"
#include "saver/saver_window.h"

namespace {
std::atomic<long> allocations{0};
}  // namespace

void* operator new(std::size_t size) {
  allocations.fetch_add(1, std::memory_order_relaxed);
  if (void* memory = std::malloc(size == 0 ? 1 : size)) return memory;
  throw std::bad_alloc();
}
void operator delete(void* memory) noexcept { std::free(memory); }
void operator delete(void* memory, std::size_t) noexcept { std::free(memory); }

namespace quarlyn {
namespace {

// Frames of start-up left out of the allocation count.
constexpr size_t kWarmUpFrames = 150;

class TimingRuntime : public RealRuntime {
 public:
  using RealRuntime::RealRuntime;
  // Room for every frame is taken up front, so recording one allocates nothing.
  void reserve(int seconds) {
    deadlines.reserve(static_cast<size_t>(seconds) * 100);
    allocations_at.reserve(deadlines.capacity());
  }
  void yield_until(int32_t deadline_ms) override {
    if (deadlines.empty() || deadlines.back() != deadline_ms) {
      deadlines.push_back(deadline_ms);
      allocations_at.push_back(allocations.load(std::memory_order_relaxed));
    }
    RealRuntime::yield_until(deadline_ms);
  }
  std::vector<int32_t> deadlines;
  std::vector<long> allocations_at;
};

double processor_seconds() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return usage.ru_utime.tv_sec + usage.ru_stime.tv_sec + (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

void report(const TimingRuntime& runtime, double seconds, double cpu) {
  const std::vector<int32_t>& deadlines = runtime.deadlines;
  std::vector<int32_t> periods;
  for (size_t i = 1; i < deadlines.size(); ++i) periods.push_back(deadlines[i] - deadlines[i - 1]);
  if (periods.empty()) return;
  std::sort(periods.begin(), periods.end());
  auto at = [&](double q) { return periods[static_cast<size_t>(q * (periods.size() - 1))]; };
  std::printf("frames: %zu in %.0f s\n", periods.size(), seconds);
  std::printf("frame period: median %d ms, 99th percentile %d ms, longest %d ms (target: under 2 periods)\n",
              at(0.5), at(0.99), periods.back());
  std::printf("processor: %.2f %% of one core, music included (target: under 3 %%)\n", 100 * cpu / seconds);
  const std::vector<long>& counts = runtime.allocations_at;
  if (counts.size() > kWarmUpFrames + 1) {
    std::printf("allocations per frame: %.2f (target: 0)\n",
                static_cast<double>(counts.back() - counts[kWarmUpFrames]) /
                    static_cast<double>(counts.size() - 1 - kWarmUpFrames));
  }
}

}  // namespace
}  // namespace quarlyn

int main(int argc, char** argv) {
  using namespace quarlyn;
  const int seconds = argc > 1 ? std::atoi(argv[1]) : 120;
  SettingsStore store(SettingsStore::default_file(kApplicationName), kSettingsSection);
  TimingRuntime runtime(1, argv, kApplicationName, store);
  runtime.reserve(seconds);
  auto settings = std::make_unique<Settings>();
  RunFlags flags;
  frm_screensaver saver(runtime, *settings, flags);
  Timer stop(runtime);
  stop.on_timer = [&] { saver.Form_KeyDown(kKeyEsc, 0); };
  stop.set_interval(seconds * 1000);
  stop.set_enabled(true);
  const double cpu_start = processor_seconds();
  saver.Show();
  while (flags.saver_running) runtime.RealRuntime::yield_until(runtime.time_get_time() + 1000);
  report(runtime, seconds, processor_seconds() - cpu_start);
  return 0;
}
