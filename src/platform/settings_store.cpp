#include "platform/settings_store.h"

#include <fcntl.h>
#include <pwd.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <string_view>

namespace quarlyn {

namespace {

namespace fs = std::filesystem;

constexpr std::string_view kBlanks = " \t";
constexpr mode_t kNewFileMode = 0600;
constexpr mode_t kNewFolderMode = 0700;

// ---- Escaping ----

// The length of the well-formed UTF-8 sequence starting at `at`, or 0 when there is none.
std::size_t utf8_sequence_length(std::string_view text, std::size_t at) {
  const auto byte = [&](std::size_t k) { return static_cast<unsigned char>(text[at + k]); };
  const unsigned char lead = byte(0);
  std::size_t length = 0;
  unsigned char low = 0x80;
  unsigned char high = 0xBF;
  if (lead >= 0xC2 && lead <= 0xDF) {
    length = 2;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 3;
    low = lead == 0xE0 ? 0xA0 : low;    // overlong
    high = lead == 0xED ? 0x9F : high;  // surrogates
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    length = 4;
    low = lead == 0xF0 ? 0x90 : low;    // overlong
    high = lead == 0xF4 ? 0x8F : high;  // above U+10FFFF
  } else {
    return 0;
  }
  if (text.size() - at < length || byte(1) < low || byte(1) > high) return 0;
  for (std::size_t k = 2; k < length; ++k) {
    if ((byte(k) & 0xC0) != 0x80) return 0;
  }
  return length;
}

void append_hex_escape(std::string& out, unsigned char byte) {
  constexpr std::string_view kDigits = "0123456789ABCDEF";
  out += "\\x";
  out += kDigits[byte >> 4];
  out += kDigits[byte & 0x0F];
}

void append_escaped_ascii(std::string& out, unsigned char byte, bool at_edge) {
  switch (byte) {
    case '\\': out += "\\\\"; return;
    case '\n': out += "\\n"; return;
    case '\r': out += "\\r"; return;
    case '\t': out += "\\t"; return;
    case ' ': out += at_edge ? "\\s" : " "; return;
    default: break;
  }
  if (byte < 0x20 || byte == 0x7F) {
    append_hex_escape(out, byte);
  } else {
    out += static_cast<char>(byte);
  }
}

int hex_value(char digit) {
  if (digit >= '0' && digit <= '9') return digit - '0';
  if (digit >= 'A' && digit <= 'F') return digit - 'A' + 10;
  if (digit >= 'a' && digit <= 'f') return digit - 'a' + 10;
  return -1;
}

// Decodes the escape whose backslash is at `at`; advances `at` to its last character.
bool decode_escape(std::string_view text, std::size_t& at, std::string& out) {
  if (text.size() - at < 2) return false;
  const char kind = text[++at];
  switch (kind) {
    case '\\': out += '\\'; return true;
    case 'n': out += '\n'; return true;
    case 'r': out += '\r'; return true;
    case 't': out += '\t'; return true;
    case 's': out += ' '; return true;
    case 'x': break;
    default: return false;
  }
  if (text.size() - at < 3) return false;
  const int high = hex_value(text[at + 1]);
  const int low = hex_value(text[at + 2]);
  if (high < 0 || low < 0) return false;
  out += static_cast<char>(high * 16 + low);
  at += 2;
  return true;
}

// ---- Lines and documents ----

std::string_view trim(std::string_view text) {
  const std::size_t first = text.find_first_not_of(kBlanks);
  if (first == std::string_view::npos) return {};
  return text.substr(first, text.find_last_not_of(kBlanks) - first + 1);
}

// Keys that read back as themselves from their own line, whatever their value. Only these are
// read or written: a key starting with "[" could turn its line into a section header.
bool valid_key(std::string_view key) {
  if (key.empty() || key.find_first_of("=\n\r") != std::string_view::npos) return false;
  return std::string_view(" \t#;[").find(key.front()) == std::string_view::npos &&
         kBlanks.find(key.back()) == std::string_view::npos;
}

enum class LineKind { kBlank, kComment, kSection, kKey, kUnreadable };

struct ParsedLine {
  LineKind kind;
  std::string name;  // the section or the key
  std::string value;
};

ParsedLine parse_line(std::string_view line) {
  const std::string_view trimmed = trim(line);
  if (trimmed.empty()) return {LineKind::kBlank, {}, {}};
  if (trimmed.front() == '#' || trimmed.front() == ';') return {LineKind::kComment, {}, {}};
  if (trimmed.front() == '[' && trimmed.back() == ']') {
    return {LineKind::kSection, std::string(trimmed.substr(1, trimmed.size() - 2)), {}};
  }
  const std::size_t equals = line.find('=');
  if (equals == std::string_view::npos) return {LineKind::kUnreadable, {}, {}};
  const std::string_view key = trim(line.substr(0, equals));
  std::optional<std::string> value = unescape_setting_value(std::string(trim(line.substr(equals + 1))));
  if (!valid_key(key) || !value) return {LineKind::kUnreadable, {}, {}};
  return {LineKind::kKey, std::string(key), std::move(*value)};
}

// A line of the file as it will be written back: kept text, or one of our own keys whose
// current value is written.
struct DocumentLine {
  std::string text;  // the line without its line end, or the key when `own_key`
  bool own_key = false;
};

struct Document {
  std::vector<DocumentLine> lines;
  std::map<std::string, std::string> values;
  std::vector<std::string> new_keys;  // keys the file lacked, in the order they were set
  std::optional<std::size_t> append_at;  // after the own section's last header or key line
  bool damaged = false;

  void set(const std::string& key, const std::string& text) {
    if (!values.contains(key)) new_keys.push_back(key);
    values[key] = text;
  }
};

// Unreadable lines and repeated keys of our section are left out: neither is ever read.
void add_line(Document& doc, std::string_view line, const std::string& section, bool& in_section) {
  ParsedLine parsed = parse_line(line);
  switch (parsed.kind) {
    case LineKind::kUnreadable:
      doc.damaged = true;
      return;
    case LineKind::kSection:
      in_section = parsed.name == section;
      doc.lines.push_back({std::string(line), false});
      if (in_section) doc.append_at = doc.lines.size();
      return;
    case LineKind::kKey:
      if (!in_section) break;
      if (doc.values.emplace(parsed.name, std::move(parsed.value)).second) {
        doc.lines.push_back({std::move(parsed.name), true});
        doc.append_at = doc.lines.size();
      }
      return;
    default:
      break;
  }
  doc.lines.push_back({std::string(line), false});
}

Document parse_document(std::string_view content, const std::string& section) {
  Document doc;
  bool in_section = false;
  std::size_t start = 0;
  while (start < content.size()) {
    std::size_t end = content.find('\n', start);
    if (end == std::string_view::npos) end = content.size();
    std::string_view line = content.substr(start, end - start);
    // All carriage returns go: one that stayed would end the line once it is written back.
    while (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    add_line(doc, line, section, in_section);
    start = end + 1;
  }
  return doc;
}

void append_new_keys(std::string& out, const Document& doc) {
  for (const std::string& key : doc.new_keys) out += key + "=" + escape_setting_value(doc.values.at(key)) + "\n";
}

std::string render_document(const Document& doc, const std::string& section) {
  std::string out;
  for (std::size_t i = 0; i < doc.lines.size(); ++i) {
    if (doc.append_at == i) append_new_keys(out, doc);
    const DocumentLine& line = doc.lines[i];
    out += line.own_key ? line.text + "=" + escape_setting_value(doc.values.at(line.text)) : line.text;
    out += '\n';
  }
  if (!doc.append_at) out += "[" + section + "]\n";
  if (!doc.append_at || *doc.append_at == doc.lines.size()) append_new_keys(out, doc);
  return out;
}

// ---- Files ----

class UniqueFd {
 public:
  explicit UniqueFd(int fd) : fd_(fd) {}
  ~UniqueFd() {
    if (fd_ >= 0) ::close(fd_);
  }
  UniqueFd(UniqueFd&& other) noexcept : fd_(std::exchange(other.fd_, -1)) {}
  UniqueFd(const UniqueFd&) = delete;
  UniqueFd& operator=(const UniqueFd&) = delete;

  int get() const { return fd_; }
  explicit operator bool() const { return fd_ >= 0; }
  // Closes now, so that a failing close (a late write error) can be reported.
  bool close() {
    const int fd = std::exchange(fd_, -1);
    return ::close(fd) == 0;
  }

 private:
  int fd_;
};

struct StoreFile {
  enum class Status { kMissing, kRead, kFailed } status = Status::kFailed;
  std::string content;
  mode_t mode = kNewFileMode;
};

bool read_all(int fd, std::string& content) {
  char buffer[65536];
  for (;;) {
    const ssize_t count = ::read(fd, buffer, sizeof buffer);
    if (count == 0) return true;
    if (count < 0 && errno != EINTR) return false;
    if (count > 0) content.append(buffer, static_cast<std::size_t>(count));
  }
}

// Non-blocking open, so that a FIFO in the file's place cannot hang us; it is refused below.
StoreFile read_store_file(const fs::path& file) {
  StoreFile result;
  UniqueFd fd(::open(file.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
  if (!fd) {
    if (errno == ENOENT) result.status = StoreFile::Status::kMissing;
    return result;
  }
  struct stat info {};
  if (::fstat(fd.get(), &info) != 0 || !S_ISREG(info.st_mode) || !read_all(fd.get(), result.content)) {
    return result;
  }
  result.mode = info.st_mode & 07777;
  result.status = StoreFile::Status::kRead;
  return result;
}

bool write_all(int fd, std::string_view content) {
  while (!content.empty()) {
    const ssize_t count = ::write(fd, content.data(), content.size());
    if (count < 0 && errno != EINTR) return false;
    if (count > 0) content.remove_prefix(static_cast<std::size_t>(count));
  }
  return true;
}

bool write_synced_file(const fs::path& file, std::string_view content, mode_t mode) {
  UniqueFd fd(::open(file.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC | O_NOFOLLOW, mode));
  if (!fd) return false;
  // fchmod because the umask narrows new files and an old file keeps its mode.
  return ::fchmod(fd.get(), mode) == 0 && write_all(fd.get(), content) && ::fsync(fd.get()) == 0 &&
         fd.close();
}

fs::path folder_of(const fs::path& file) {
  return file.has_parent_path() ? file.parent_path() : fs::path(".");
}

// Some file systems cannot sync a folder (EINVAL); there is nothing more to do there.
bool sync_folder(const fs::path& folder) {
  UniqueFd fd(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  return fd && (::fsync(fd.get()) == 0 || errno == EINVAL);
}

bool replace_file(const fs::path& file, std::string_view content, mode_t mode) {
  const fs::path temporary = file.string() + ".tmp";
  if (!write_synced_file(temporary, content, mode) || ::rename(temporary.c_str(), file.c_str()) != 0) {
    ::unlink(temporary.c_str());
    return false;
  }
  return sync_folder(folder_of(file));
}

bool is_folder(const fs::path& path) {
  struct stat info {};
  return ::stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

bool make_folders(const fs::path& folder) {
  if (folder.empty() || is_folder(folder)) return true;
  if (folder.has_parent_path() && folder.parent_path() != folder && !make_folders(folder.parent_path())) {
    return false;
  }
  return ::mkdir(folder.c_str(), kNewFolderMode) == 0 || (errno == EEXIST && is_folder(folder));
}

// The lock is held until the returned descriptor closes.
UniqueFd lock_store(const fs::path& file) {
  const fs::path lock_file = file.string() + ".lock";
  UniqueFd fd(::open(lock_file.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, kNewFileMode));
  if (!fd) return fd;
  while (::flock(fd.get(), LOCK_EX) != 0) {
    if (errno != EINTR) return UniqueFd(-1);
  }
  return fd;
}

// A damaged file is kept aside before it is replaced, so that nothing unreadable is lost for good.
bool write_store(const fs::path& file, const StoreFile& fresh, bool damaged, const std::string& content) {
  const bool exists = fresh.status == StoreFile::Status::kRead;
  if (exists && content == fresh.content) return true;
  if (exists && damaged && !write_synced_file(file.string() + ".damaged", fresh.content, kNewFileMode)) {
    return false;
  }
  return replace_file(file, content, fresh.mode);
}

// Applies each key's last text where this process changed it since it last read or wrote the
// key, or where the file lacks the key; elsewhere the file may hold another process's newer text.
void merge_entries(Document& doc, const SettingsStore::Entries& entries,
                   const std::map<std::string, std::string>& seen) {
  std::map<std::string, std::string> last;
  for (const auto& [key, text] : entries) last[key] = text;
  for (const auto& entry : entries) {
    const auto wanted = last.find(entry.first);
    if (wanted == last.end()) continue;  // merged at the key's first entry
    const auto& [key, text] = *wanted;
    const auto seen_text = seen.find(key);
    if (!doc.values.contains(key) || seen_text == seen.end() || seen_text->second != text) doc.set(key, text);
    last.erase(wanted);
  }
}

}  // namespace

std::string escape_setting_value(const std::string& value) {
  std::string out;
  out.reserve(value.size());
  std::size_t at = 0;
  while (at < value.size()) {
    const auto byte = static_cast<unsigned char>(value[at]);
    if (byte < 0x80) {
      append_escaped_ascii(out, byte, at == 0 || at + 1 == value.size());
      ++at;
    } else if (const std::size_t length = utf8_sequence_length(value, at); length > 0) {
      out.append(value, at, length);
      at += length;
    } else {
      append_hex_escape(out, byte);
      ++at;
    }
  }
  return out;
}

std::optional<std::string> unescape_setting_value(const std::string& text) {
  std::string out;
  out.reserve(text.size());
  for (std::size_t at = 0; at < text.size(); ++at) {
    if (text[at] != '\\') {
      out += text[at];
    } else if (!decode_escape(text, at, out)) {
      return std::nullopt;
    }
  }
  return out;
}

SettingsStore::SettingsStore(std::filesystem::path file, std::string section)
    : file_(std::move(file)), section_(std::move(section)) {}

std::filesystem::path SettingsStore::default_file(const std::string& application) {
  fs::path config_home;
  const char* xdg = std::getenv("XDG_CONFIG_HOME");
  if (xdg != nullptr && xdg[0] == '/') {
    config_home = xdg;
  } else if (const char* home = std::getenv("HOME"); home != nullptr && home[0] != '\0') {
    config_home = fs::path(home) / ".config";
  } else if (const passwd* user = ::getpwuid(::getuid()); user != nullptr && user->pw_dir != nullptr) {
    config_home = fs::path(user->pw_dir) / ".config";
  } else {
    config_home = ".config";
  }
  return config_home / application / "settings.ini";
}

void SettingsStore::reload() {
  const StoreFile stored = read_store_file(file_);
  values_.clear();
  if (stored.status == StoreFile::Status::kRead) values_ = parse_document(stored.content, section_).values;
}

std::string SettingsStore::read(const std::string& key, const std::string& fallback) {
  const auto found = values_.find(key);
  const std::string& text = found == values_.end() ? fallback : found->second;
  seen_[key] = text;
  return text;
}

bool SettingsStore::save(const Entries& entries) {
  const bool keys_ok =
      std::all_of(entries.begin(), entries.end(), [](const auto& entry) { return valid_key(entry.first); });
  if (!keys_ok || !make_folders(folder_of(file_))) return false;
  const UniqueFd lock = lock_store(file_);
  if (!lock) return false;
  const StoreFile fresh = read_store_file(file_);
  if (fresh.status == StoreFile::Status::kFailed) return false;
  Document doc = parse_document(fresh.content, section_);
  merge_entries(doc, entries, seen_);
  if (!write_store(file_, fresh, doc.damaged, render_document(doc, section_))) return false;
  values_ = std::move(doc.values);
  for (const auto& [key, text] : entries) seen_[key] = text;
  return true;
}

}  // namespace quarlyn
