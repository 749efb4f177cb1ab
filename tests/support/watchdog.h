// A hang detector: runs work in a child process, so that even a call blocked for good in the
// kernel cannot stop the test suite; the child is killed when its time is up.
#pragma once

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <functional>
#include <thread>

namespace quarlyn::testing {

// Passes when `work` ends within `limit` with its own expectations met (their failures are
// printed by the child). The child starts as a copy of the test, so `work` may use anything the
// test has set up; what it changes stays in the child.
inline ::testing::AssertionResult finishes_within(std::chrono::milliseconds limit, const std::function<void()>& work) {
  const pid_t child = ::fork();
  if (child < 0) return ::testing::AssertionFailure() << "cannot fork";
  if (child == 0) {
    work();
    _exit(::testing::Test::HasFailure() ? 1 : 0);
  }
  const auto deadline = std::chrono::steady_clock::now() + limit;
  int status = 0;
  while (::waitpid(child, &status, WNOHANG) == 0) {
    if (std::chrono::steady_clock::now() > deadline) {
      ::kill(child, SIGKILL);
      ::waitpid(child, &status, 0);
      return ::testing::AssertionFailure() << "still running after " << limit.count() << " ms: it hangs";
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  if (WIFEXITED(status) && WEXITSTATUS(status) == 0) return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure() << "finished in time, but its checks failed (status " << status << ")";
}

}  // namespace quarlyn::testing
