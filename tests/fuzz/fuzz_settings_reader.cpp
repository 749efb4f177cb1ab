// Arbitrary bytes as a whole settings file and as one escaped value. A save over any file must
// read back, leave the keys it did not write alone, and give a file that a second save with the
// same texts leaves byte for byte as it is. A hand-written value keeps every backslash that
// starts no escape of ours, and a byte-order mark before the file changes nothing it reads.
#include <stdlib.h>

#include <cctype>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

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

bool starts_our_escape(const std::string& text, std::size_t backslash) {
  const auto hex = [&](std::size_t at) { return at < text.size() && std::isxdigit(static_cast<unsigned char>(text[at])); };
  if (backslash + 1 >= text.size()) return false;
  const char kind = text[backslash + 1];
  return std::strchr("\\nrts", kind) != nullptr || (kind == 'x' && hex(backslash + 2) && hex(backslash + 3));
}

void check_escaping(const std::string& input) {
  check(quarlyn::unescape_setting_value(quarlyn::escape_setting_value(input)) == input);
  const std::string value = quarlyn::unescape_setting_value(input);
  check(quarlyn::unescape_setting_value(quarlyn::escape_setting_value(value)) == value);
  // Up to the first backslash the text is taken as it stands; that backslash stays when it
  // starts none of our escapes.
  const std::size_t backslash = input.find('\\');
  check(value.compare(0, backslash, input, 0, backslash) == 0);
  if (backslash != std::string::npos && !starts_our_escape(input, backslash)) check(value[backslash] == '\\');
}

// What a store reads from `content` for the keys the checks look at.
std::vector<std::string> read_keys(const fs::path& file, const std::string& content, const char* const* keys,
                                   std::size_t count) {
  std::ofstream(file, std::ios::binary | std::ios::trunc) << content;
  quarlyn::SettingsStore store(file, "Config");
  store.reload();
  std::vector<std::string> texts;
  for (std::size_t i = 0; i < count; ++i) texts.push_back(store.read(keys[i], "<none>"));
  return texts;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string input(reinterpret_cast<const char*>(data), size);
  check_escaping(input);

  // An odd first byte puts the input inside our section, which random bytes rarely name.
  const ScratchFolder folder;
  const fs::path file = folder.path() / "settings.ini";
  const std::string content = (size > 0 && data[0] % 2 == 1 ? "[Config]\nhand=" : "") + input;
  const char* const kept_keys[] = {"a", "b", "key", "hand"};
  const std::size_t kept_count = std::size(kept_keys);
  const std::string mark = "\xEF\xBB\xBF";
  const std::vector<std::string> with_mark = read_keys(file, mark + content, kept_keys, kept_count);
  const std::vector<std::string> kept_texts = read_keys(file, content, kept_keys, kept_count);
  // Only the first mark is one; a second is a character of the line it starts.
  if (!content.starts_with(mark)) check(with_mark == kept_texts);
  quarlyn::SettingsStore store(file, "Config");
  store.reload();
  for (const char* key : kept_keys) store.read(key, "<none>");

  const quarlyn::SettingsStore::Entries entries = {{"fuzz", input}, {"x", "1"}};
  check(store.save(entries));
  quarlyn::SettingsStore reread(file, "Config");
  reread.reload();
  for (const auto& [key, text] : entries) check(reread.read(key, "<none>") == text);
  for (std::size_t i = 0; i < kept_count; ++i) check(reread.read(kept_keys[i], "<none>") == kept_texts[i]);

  const std::string saved = read_bytes(file);
  check(reread.save(entries));
  check(read_bytes(file) == saved);
  return 0;
}
