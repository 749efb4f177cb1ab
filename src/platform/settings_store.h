// The per-user settings store: one text per key in one section of a key file, over a read-only
// system layer of files of the same format (the way system-wide defaults work on freedesktop
// systems): a key the user's file does not hold is read from the first system file that holds
// it. Saves write only the user's file. A system file is read through the checked-read helper;
// one that is missing, too large or not a regular file is left out, and of a damaged one only
// its readable lines count.
//
// File format: a "[Section]" line, then one "key=value" line per key. Values are escaped so that
// every byte string round-trips: "\\", "\n", "\r", "\t", "\s" for a blank at either end, "\xHH"
// for other control bytes and for bytes that are not part of valid UTF-8. "=", ";", "#" and "["
// stay literal inside values; "#" or ";" starts a comment only at the start of a line.
//
// A backslash that does not start one of these escapes (a hand-edited "AC\DC") stands for itself.
// A UTF-8 byte-order mark at the start of the file is skipped.
//
// Guarantees:
// - Atomic: a save writes a temporary file under a fresh unique name in the same folder, syncs
//   it, renames it over the store and syncs the folder, so a crash at any moment leaves the
//   complete old or new store. Nothing left under any other name is ever written through. A
//   store that is a symbolic link is replaced at its target, and the link stays.
// - No lost updates: a save locks a separate lock file, re-reads the store and applies only the
//   keys whose text this process changed since it last read or wrote them (and keys the file
//   does not hold yet, nor the system layer). Within one process the result equals writing
//   every key. A queued
//   change (`queue`) is a read-modify-write that runs under the same lock against the file as
//   it is then.
// - Nothing is dropped: a save that cannot write (the lock held too long by another process, a
//   full or read-only disk) keeps every change queued; reads see them, and the next save or
//   `write_pending` writes them.
// - Nothing is lost at the end: `keep_pending` keeps what another process's lock still holds up
//   in a journal beside the store, "<file>.journal-…", written whole under a name of its own and
//   without the lock. It holds the texts this process changed, as its queued changes leave them
//   on the file as it is then. The next load or save (of any process) merges every journal under
//   the lock, as changes made before its own queued ones, then removes it.
// - Bounded: waiting for the lock takes at most the time the caller gives; the file is opened
//   without blocking and must be a regular file; only its first `kMaxFileBytes` are read.
// - Damage tolerant: unreadable lines are skipped and the rest is kept; a damaged file (one with
//   such lines, or a larger one) is kept aside under a dated name (".damaged-YYYYMMDD-HHMMSS")
//   before a save replaces it; the newest few such copies stay. Nothing here throws.
#pragma once

#include <chrono>
#include <cstddef>
#include <filesystem>
#include <functional>
#include <map>
#include <set>
#include <string>
#include <utility>
#include <variant>
#include <vector>

namespace quarlyn {

class SettingsStore {
 public:
  using Entries = std::vector<std::pair<std::string, std::string>>;

  // The keys of the store's section as a change sees them. A key that cannot be stored (see
  // `save`) is not written.
  class Keys {
   public:
    virtual bool contains(const std::string& key) const = 0;
    virtual std::string read(const std::string& key, const std::string& fallback) const = 0;
    virtual void write(const std::string& key, const std::string& text) = 0;

   protected:
    ~Keys() = default;
  };
  // A read-modify-write of some keys. It runs once at once, on what reads see, and again under
  // the lock at every attempt to write, so it must decide everything from what it reads.
  using Change = std::function<void(Keys&)>;

  // How long a save waits by default for another process to let go of the lock.
  static constexpr std::chrono::milliseconds kSaveWait{200};
  // A larger store is damaged: only this much of it is read.
  static constexpr std::size_t kMaxFileBytes = std::size_t{4} << 20;

  // `system_files` is the system layer, the most important first.
  SettingsStore(std::filesystem::path file, std::string section, std::vector<std::filesystem::path> system_files = {});

  // "$XDG_CONFIG_HOME/<application>/settings.ini", with "~/.config" when the variable is unset
  // or not an absolute path.
  static std::filesystem::path default_file(const std::string& application);
  // "<folder>/<application>/settings.ini" for each folder of $XDG_CONFIG_DIRS, then for the
  // install's own "<sysconfdir>/xdg": what the administrator or the session sets up comes
  // before what the install brought along.
  static std::vector<std::filesystem::path> system_files(const std::string& application);

  const std::filesystem::path& file() const { return file_; }

  // Reads the file and the system layer afresh, with the changes not yet written applied over
  // them. A missing or unreadable file is an empty store.
  void reload();
  // The text of `key` as of the last reload or save, or `fallback` when the key is missing.
  // Remembers what it returned as the text this process last saw for the key.
  std::string read(const std::string& key, const std::string& fallback);
  // Queues a change for the next save; reads see its effect at once.
  void queue(Change change);
  // Queues the entries and writes every queued change in one atomic replace, merged into a
  // fresh read of the file under the lock (see above), waiting at most `wait` for the lock.
  // Creates the folder when needed. Returns false when the file could not be written: the store
  // on disk is then unchanged and the changes stay queued. Entries with a key that cannot be
  // stored are refused whole, and not queued.
  bool save(const Entries& entries, std::chrono::milliseconds wait = kSaveWait);
  // Writes the changes still queued; true when none is left.
  bool write_pending(std::chrono::milliseconds wait);
  bool has_pending() const { return !pending_.empty(); }
  // For the end of the program: writes the changes still queued, waiting at most `wait` for the
  // lock, and when another process holds it still, keeps them in a journal (see above). True
  // when nothing is left queued.
  bool keep_pending(std::chrono::milliseconds wait);
  // Where and why the last failed save failed.
  const std::string& problem() const { return problem_; }

 private:
  // A save's entries: the keys this process changed since it last read or wrote them are
  // written, the others only where the file lacks them.
  struct EntriesChange {
    std::set<std::string> changed;
    Entries texts;  // each key once, with its last text, in the order the keys first came
  };
  using PendingChange = std::variant<EntriesChange, Change>;

  void queue_entries(const Entries& entries);
  // `fill_missing_keys` also writes a save's unchanged keys where `keys` lack them.
  void apply_pending(Keys& keys, bool fill_missing_keys) const;
  // Writes the journals and the queued changes into a fresh read of the file, under the lock.
  bool write_merged(std::chrono::milliseconds wait);
  bool journal_pending();
  void read_system_layer();
  void set_values(std::map<std::string, std::string> user_values);

  std::filesystem::path file_;
  std::string section_;
  std::vector<std::filesystem::path> system_files_;
  std::map<std::string, std::string> system_values_;  // the system layer's keys as last read
  std::map<std::string, std::string> values_;  // the [section] keys as last read or saved, over the system layer
  std::map<std::string, std::string> seen_;    // per key: the text this process last read or wrote
  std::vector<PendingChange> pending_;         // in the order they came
  std::string problem_;
  bool lock_held_elsewhere_ = false;  // the last write failed for another process's lock
};

// Escaping of one value for the file, and its inverse.
std::string escape_setting_value(const std::string& value);
std::string unescape_setting_value(const std::string& text);

}  // namespace quarlyn
