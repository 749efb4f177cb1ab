// The per-user settings store: one text per key in one section of a key file.
//
// File format: a "[Section]" line, then one "key=value" line per key. Values are escaped so that
// every byte string round-trips: "\\", "\n", "\r", "\t", "\s" for a blank at either end, "\xHH"
// for other control bytes and for bytes that are not part of valid UTF-8. "=", ";", "#" and "["
// stay literal inside values; "#" or ";" starts a comment only at the start of a line.
//
// Guarantees:
// - Atomic: a save writes a temporary file in the same folder, syncs it, renames it over the
//   store and syncs the folder, so a crash at any moment leaves the complete old or new store.
// - No lost updates: a save locks a separate lock file, re-reads the store and applies only the
//   keys whose text this process changed since it last read or wrote them (and keys the file
//   does not hold yet). Within one process the result equals writing every key.
// - Damage tolerant: unreadable lines are skipped and the rest is kept; a file with such lines
//   is copied aside (".damaged") before the first save replaces it. Nothing here throws.
#pragma once

#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace quarlyn {

class SettingsStore {
 public:
  using Entries = std::vector<std::pair<std::string, std::string>>;

  SettingsStore(std::filesystem::path file, std::string section);

  // "$XDG_CONFIG_HOME/<application>/settings.ini", with "~/.config" when the variable is unset
  // or not an absolute path.
  static std::filesystem::path default_file(const std::string& application);

  const std::filesystem::path& file() const { return file_; }

  // Reads the file afresh. A missing or unreadable file is an empty store.
  void reload();
  // The text of `key` as of the last reload or save, or `fallback` when the key is missing.
  // Remembers what it returned as the text this process last saw for the key.
  std::string read(const std::string& key, const std::string& fallback);
  // Writes the entries in one atomic replace, merged into a fresh read of the file under the
  // lock (see above). Creates the folder when needed. Returns false when the file could not be
  // written; the store on disk is then unchanged.
  bool save(const Entries& entries);

 private:
  std::filesystem::path file_;
  std::string section_;
  std::map<std::string, std::string> values_;  // the [section] keys as last read or saved
  std::map<std::string, std::string> seen_;    // per key: the text this process last read or wrote
};

// Escaping of one value for the file, and its inverse (nullopt for a malformed escape).
std::string escape_setting_value(const std::string& value);
std::optional<std::string> unescape_setting_value(const std::string& text);

}  // namespace quarlyn
