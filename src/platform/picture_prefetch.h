// Pictures decoded ahead of need on a worker thread, so that showing one costs no decoding.
//
// Contract:
// - `want(paths)` names the pictures that may be asked for next. Those not held yet are queued for
//   the worker in the order given; held or queued ones not named are dropped (a decode running for
//   one finishes and is thrown away). Only the named pictures are kept.
// - `take(path)` gives the picture of `path` as its file is now: the one decoded ahead when the file
//   is still the one it was decoded from (same device, inode, size and modification time), waiting
//   for its decode when that is running; otherwise it decodes on the caller's thread. A picture
//   that would not decode gives nullopt, as the decoder does.
// - The worker starts at the first picture queued and runs at the lowest priority. The destructor
//   stops it and joins it, after the decode it may be running.
#pragma once

#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "platform/surface.h"

namespace quarlyn {

class PicturePrefetch {
 public:
  using Decode = std::function<std::optional<Surface>(const std::string& path)>;

  explicit PicturePrefetch(Decode decode);
  ~PicturePrefetch();
  PicturePrefetch(const PicturePrefetch&) = delete;
  PicturePrefetch& operator=(const PicturePrefetch&) = delete;

  void want(const std::vector<std::string>& paths);
  std::optional<Surface> take(const std::string& path);

 private:
  struct FileIdentity {
    bool exists = false;
    uint64_t device = 0;
    uint64_t inode = 0;
    int64_t size = 0;
    int64_t modified_ns = 0;
    bool operator==(const FileIdentity&) const = default;
  };
  enum class State { kQueued, kDecoding, kReady };
  struct Entry {
    std::string path;
    State state = State::kQueued;
    FileIdentity identity;
    std::optional<Surface> picture;
  };

  static FileIdentity identify(const std::string& path);
  Entry* find(const std::string& path);
  void run_worker();
  void decode_next(std::unique_lock<std::mutex>& lock);

  Decode decode_;
  std::mutex mutex_;
  std::condition_variable changed_;
  std::vector<std::unique_ptr<Entry>> entries_;
  bool stopping_ = false;
  bool trim_due_ = false;  // pictures were dropped since memory was last given back
  std::thread worker_;
};

}  // namespace quarlyn
