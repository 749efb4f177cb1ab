#include "platform/picture_prefetch.h"

#include <malloc.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>

namespace quarlyn {

PicturePrefetch::PicturePrefetch(Decode decode) : decode_(std::move(decode)) {}

PicturePrefetch::~PicturePrefetch() {
  {
    std::lock_guard lock(mutex_);
    stopping_ = true;
  }
  changed_.notify_all();
  if (worker_.joinable()) worker_.join();
}

PicturePrefetch::FileIdentity PicturePrefetch::identify(const std::string& path) {
  struct stat status {};
  if (::stat(path.c_str(), &status) != 0) return {};
  return {true, static_cast<uint64_t>(status.st_dev), static_cast<uint64_t>(status.st_ino),
          static_cast<int64_t>(status.st_size),
          static_cast<int64_t>(status.st_mtim.tv_sec) * 1'000'000'000 + status.st_mtim.tv_nsec};
}

PicturePrefetch::Entry* PicturePrefetch::find(const std::string& path) {
  for (const std::unique_ptr<Entry>& entry : entries_)
    if (entry->path == path) return entry.get();
  return nullptr;
}

void PicturePrefetch::want(const std::vector<std::string>& paths) {
  bool queued = false;
  {
    std::lock_guard lock(mutex_);
    const size_t dropped = std::erase_if(entries_, [&](const std::unique_ptr<Entry>& entry) {
      return std::find(paths.begin(), paths.end(), entry->path) == paths.end();
    });
    trim_due_ = trim_due_ || dropped > 0;
    for (const std::string& path : paths) {
      if (find(path) != nullptr) continue;
      auto entry = std::make_unique<Entry>();
      entry->path = path;
      entries_.push_back(std::move(entry));
      queued = true;
    }
    if (queued && !worker_.joinable()) worker_ = std::thread([this] { run_worker(); });
  }
  changed_.notify_all();
}

std::optional<Surface> PicturePrefetch::take(const std::string& path) {
  std::unique_lock lock(mutex_);
  changed_.wait(lock, [&] {
    const Entry* entry = find(path);
    return entry == nullptr || entry->state != State::kDecoding;
  });
  Entry* entry = find(path);
  if (entry != nullptr && entry->state == State::kReady && entry->identity == identify(path)) return entry->picture;
  // Not decoded ahead, or the file changed since: decoded here, and kept while it is wanted.
  if (entry != nullptr) entry->state = State::kDecoding;
  lock.unlock();
  const FileIdentity identity = identify(path);
  std::optional<Surface> picture = decode_(path);
  lock.lock();
  if (Entry* kept = find(path); kept != nullptr && kept->state == State::kDecoding) {
    kept->state = State::kReady;
    kept->identity = identity;
    kept->picture = picture;
  }
  lock.unlock();
  changed_.notify_all();
  return picture;
}

// The worker yields the processor to the frame loop; pictures are wanted long before they show.
// Memory of dropped pictures goes back to the system once nothing is queued: a thread's freed
// blocks would otherwise stay with the process.
void PicturePrefetch::run_worker() {
  setpriority(PRIO_PROCESS, static_cast<id_t>(gettid()), 19);
  std::unique_lock lock(mutex_);
  while (true) {
    const auto queued = [&] {
      return std::any_of(entries_.begin(), entries_.end(),
                         [](const std::unique_ptr<Entry>& entry) { return entry->state == State::kQueued; });
    };
    changed_.wait(lock, [&] { return stopping_ || trim_due_ || queued(); });
    if (stopping_) return;
    if (queued()) {
      decode_next(lock);
    } else {
      trim_due_ = false;
      lock.unlock();
      malloc_trim(0);
      lock.lock();
    }
  }
}

// Decodes the first queued picture with the lock released. An entry dropped meanwhile is no longer
// found (one made again for the same path is the same picture).
void PicturePrefetch::decode_next(std::unique_lock<std::mutex>& lock) {
  Entry* const entry = std::find_if(entries_.begin(), entries_.end(), [](const std::unique_ptr<Entry>& candidate) {
                         return candidate->state == State::kQueued;
                       })->get();
  entry->state = State::kDecoding;
  const std::string path = entry->path;
  lock.unlock();
  const FileIdentity identity = identify(path);
  std::optional<Surface> picture = decode_(path);
  lock.lock();
  const bool still_wanted = std::any_of(entries_.begin(), entries_.end(),
                                        [&](const std::unique_ptr<Entry>& kept) {
                                          return kept.get() == entry && kept->path == path && kept->state == State::kDecoding;
                                        });
  if (still_wanted) {
    entry->state = State::kReady;
    entry->identity = identity;
    entry->picture = std::move(picture);
  }
  changed_.notify_all();
}

}  // namespace quarlyn
