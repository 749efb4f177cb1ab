// Opening files and web addresses with the desktop's default program, through xdg-open.
//
// Contract of `open`, in the result codes of a Windows shell open (above 32 means success):
// - a local path (anything but an address with a scheme such as "https:" or "mailto:") that
//   does not exist gives 2 at once, without starting anything; a relative path is taken from
//   `folder` when that is not empty;
// - otherwise xdg-open starts with `file` as its only argument, in `folder` when that is not
//   empty, and its exit status is awaited for about 1.5 s: 0 gives 42, 2 gives 2 (not found),
//   1, 3 and 4 give 31 (no program for it), any other end gives 0, and so does failing to start;
// - an xdg-open still running after the wait (it may be running the opened program) gives 42;
//   `reap` collects such children later without blocking.
#pragma once

#include <sys/types.h>

#include <string>
#include <vector>

namespace quarlyn {

class DesktopOpener {
 public:
  int open(const std::string& file, const std::string& folder);
  void reap();
  // Another child of ours that `reap` collects once it has ended.
  void collect_later(pid_t pid) { running_.push_back(pid); }

 private:
  std::vector<pid_t> running_;
};

}  // namespace quarlyn
