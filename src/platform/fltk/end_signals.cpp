#include "platform/fltk/end_signals.h"

#include <FL/Fl.H>
#include <fcntl.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>

namespace quarlyn {
namespace {

// A signal handler reaches nothing but globals: the pipe's write end while a watcher lives, -1
// otherwise.
std::atomic<int> signal_pipe{-1};

void note_signal(int) {
  const int saved_errno = errno;
  const char byte = 1;
  // A full pipe already holds a signal that is still to be handled.
  [[maybe_unused]] const ssize_t written = ::write(signal_pipe.load(), &byte, 1);
  errno = saved_errno;
}

}  // namespace

EndSignals::EndSignals(std::function<void()> on_signal) : on_signal_(std::move(on_signal)) {
  int ends[2];
  if (::pipe2(ends, O_CLOEXEC | O_NONBLOCK) != 0) return;
  read_end_ = ends[0];
  write_end_ = ends[1];
  signal_pipe = write_end_;
  struct sigaction action {};
  action.sa_handler = note_signal;
  action.sa_flags = SA_RESTART;
  sigemptyset(&action.sa_mask);
  for (std::size_t i = 0; i < kSignals.size(); ++i) ::sigaction(kSignals[i], &action, &previous_[i]);
  Fl::add_fd(read_end_, FL_READ, readable, this);
}

EndSignals::~EndSignals() {
  if (read_end_ < 0) return;
  for (std::size_t i = 0; i < kSignals.size(); ++i) ::sigaction(kSignals[i], &previous_[i], nullptr);
  Fl::remove_fd(read_end_);
  signal_pipe = -1;
  ::close(read_end_);
  ::close(write_end_);
}

// The watch is dropped before `on_signal` runs: it does not return when it ends the program.
void EndSignals::readable(int fd, void* data) {
  Fl::remove_fd(fd);
  static_cast<EndSignals*>(data)->on_signal_();
}

}  // namespace quarlyn
