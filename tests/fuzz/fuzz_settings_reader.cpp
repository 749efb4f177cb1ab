// Arbitrary bytes as a whole settings file and as one escaped value. A save over any file must
// read back, leave the keys it did not write alone, and give a file that a second save with the
// same texts leaves byte for byte as it is.
#include <stdlib.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "platform/settings_store.h"

namespace {

namespace fs = std::filesystem;

// A fresh folder per input, so that no lock, temporary or ".damaged" file carries over.
class ScratchFolder {
 public:
  ScratchFolder() {
    std::string pattern = (fs::temp_directory_path() / "quarlyn-fuzz-settings-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr) std::abort();
    path_ = pattern;
  }
  ~ScratchFolder() {
    std::error_code ignored;
    fs::remove_all(path_, ignored);
  }
  ScratchFolder(const ScratchFolder&) = delete;
  ScratchFolder& operator=(const ScratchFolder&) = delete;

  const fs::path& path() const { return path_; }

 private:
  fs::path path_;
};

void check(bool condition) {
  if (!condition) std::abort();
}

std::string read_bytes(const fs::path& file) {
  std::ifstream in(file, std::ios::binary);
  std::ostringstream bytes;
  bytes << in.rdbuf();
  return bytes.str();
}

void check_escaping(const std::string& input) {
  check(quarlyn::unescape_setting_value(quarlyn::escape_setting_value(input)) == input);
  if (const std::optional<std::string> value = quarlyn::unescape_setting_value(input)) {
    check(quarlyn::unescape_setting_value(quarlyn::escape_setting_value(*value)) == value);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string input(reinterpret_cast<const char*>(data), size);
  check_escaping(input);

  // An odd first byte puts the input inside our section, which random bytes rarely name.
  const ScratchFolder folder;
  const fs::path file = folder.path() / "settings.ini";
  std::ofstream(file, std::ios::binary) << (size > 0 && data[0] % 2 == 1 ? "[Config]\n" : "") << input;
  quarlyn::SettingsStore store(file, "Config");
  store.reload();
  const char* const kept_keys[] = {"a", "b", "key"};
  std::string kept_texts[std::size(kept_keys)];
  for (std::size_t i = 0; i < std::size(kept_keys); ++i) kept_texts[i] = store.read(kept_keys[i], "<none>");

  const quarlyn::SettingsStore::Entries entries = {{"fuzz", input}, {"x", "1"}};
  check(store.save(entries));
  quarlyn::SettingsStore reread(file, "Config");
  reread.reload();
  for (const auto& [key, text] : entries) check(reread.read(key, "<none>") == text);
  for (std::size_t i = 0; i < std::size(kept_keys); ++i) check(reread.read(kept_keys[i], "<none>") == kept_texts[i]);

  const std::string saved = read_bytes(file);
  check(reread.save(entries));
  check(read_bytes(file) == saved);
  return 0;
}
