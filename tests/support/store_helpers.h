// Helpers for tests that prepare or inspect the settings store behind a runtime.
#pragma once

#include <optional>
#include <string>

#include "platform/settings_store.h"

namespace quarlyn::testing {

// Writes keys as another program (an installer, a second instance) would.
inline void store_keys(const SettingsStore& store, const SettingsStore::Entries& entries) {
  SettingsStore other(store.file(), "Config");
  other.save(entries);
}

// The text now on disk for `key`, read as another program would.
inline std::optional<std::string> stored_text(const SettingsStore& store, const std::string& key) {
  SettingsStore other(store.file(), "Config");
  other.reload();
  const std::string absent(1, '\0');
  std::string text = other.read(key, absent);
  if (text == absent) return std::nullopt;
  return text;
}

}  // namespace quarlyn::testing
