// Opening files and web addresses with the desktop's default program, through xdg-open.
//
// Contract of `open`, in the result codes of a Windows shell open (above 32 means success):
// - a local path (anything but an address with a scheme such as "https:" or "mailto:") that
//   does not exist gives 2 at once, without starting anything; a relative path is taken from
//   `folder` when that is not empty;
// - a local file the system can run (a program or a script with "#!") is started itself, in
//   `folder` when that is not empty, with `parameters` as its arguments (split at blanks,
//   double quotes keep blanks within one argument): 42 once it has started, 0 when it cannot;
//   it is not awaited;
// - anything else goes to xdg-open as its only argument (documents and addresses take no
//   parameters), in `folder` when that is not empty, and its exit status is awaited for about
//   1.5 s: 0 gives 42, 2 gives 2 (not found), 1, 3 and 4 give 31 (no program for it), any
//   other end gives 0, and so does failing to start;
// - the wait runs in short steps through `wait_step`, which lets the program handle its events
//   and timers meanwhile: windows keep drawing, and any handler may run inside `open`;
// - an xdg-open still running after the wait (it may be running the opened program) gives 42;
//   `reap` collects it, and every started program, later without blocking.
#pragma once

#include <sys/types.h>

#include <chrono>
#include <functional>
#include <string>
#include <vector>

namespace quarlyn {

class DesktopOpener {
 public:
  // Returns after at most `step`, having handled what events came meanwhile.
  using WaitStep = std::function<void(std::chrono::milliseconds step)>;

  int open(const std::string& file, const std::string& parameters, const std::string& folder,
           const WaitStep& wait_step);
  void reap();
  // Another child of ours that `reap` collects once it has ended.
  void collect_later(pid_t pid) { running_.push_back(pid); }

 private:
  std::vector<pid_t> running_;
};

}  // namespace quarlyn
