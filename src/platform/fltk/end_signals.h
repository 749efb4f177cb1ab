// SIGTERM, SIGINT and SIGHUP, taken to the FLTK event loop: a signal handler only writes a byte
// into a pipe, and the loop, seeing the pipe readable inside a yield, calls `on_signal` on the
// main thread, where the program can end as it ends by itself.
//
// Contract:
// - One watcher at a time per process; while it lives the three signals no longer end the
//   process by themselves, and its destruction gives them back the handling they had before.
// - Signals that come while `on_signal` runs, or after it, are not reported again: the program
//   is ending already, and what it still does (releasing the sound, writing the settings) must
//   not be cut short.
#pragma once

#include <signal.h>

#include <array>
#include <functional>

namespace quarlyn {

class EndSignals {
 public:
  explicit EndSignals(std::function<void()> on_signal);
  ~EndSignals();
  EndSignals(const EndSignals&) = delete;
  EndSignals& operator=(const EndSignals&) = delete;

 private:
  static void readable(int fd, void* data);

  static constexpr std::array<int, 3> kSignals{SIGTERM, SIGINT, SIGHUP};

  std::function<void()> on_signal_;
  std::array<struct sigaction, kSignals.size()> previous_{};
  int read_end_ = -1;
  int write_end_ = -1;
};

}  // namespace quarlyn
