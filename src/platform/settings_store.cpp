#include "platform/settings_store.h"

#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <optional>
#include <string_view>

#include "platform/checked_file.h"
#include "platform/store_files.h"
#include "platform/user_folders.h"

namespace quarlyn {

using store_files::StoreFile;

namespace {

namespace fs = std::filesystem;

constexpr std::string_view kBlanks = " \t";

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

// Decodes the escape whose backslash is at `at` and advances `at` to its last character; leaves
// both alone when no escape of ours starts there.
bool decode_escape(std::string_view text, std::size_t& at, std::string& out) {
  if (text.size() - at < 2) return false;
  const char kind = text[at + 1];
  constexpr std::string_view kKinds = "\\nrts";
  constexpr std::string_view kMeanings = "\\\n\r\t ";
  if (const std::size_t kind_at = kKinds.find(kind); kind_at != std::string_view::npos) {
    out += kMeanings[kind_at];
    at += 1;
    return true;
  }
  if (kind != 'x' || text.size() - at < 4) return false;
  const int high = hex_value(text[at + 2]);
  const int low = hex_value(text[at + 3]);
  if (high < 0 || low < 0) return false;
  out += static_cast<char>(high * 16 + low);
  at += 3;
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
  if (!valid_key(key)) return {LineKind::kUnreadable, {}, {}};
  return {LineKind::kKey, std::string(key), unescape_setting_value(std::string(trim(line.substr(equals + 1))))};
}

// A line of the file as it will be written back: kept text, or one of our own keys whose
// current value is written.
struct DocumentLine {
  std::string text;  // the line without its line end, or the key when `own_key`
  bool own_key = false;
};

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

struct Document {
  bool byte_order_mark = false;
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
  doc.byte_order_mark = content.starts_with(kByteOrderMark);
  if (doc.byte_order_mark) content.remove_prefix(kByteOrderMark.size());
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
  // A file that began with a byte-order mark keeps it. So does one whose first line would begin
  // with those bytes (the line before it may have been left out): the next read takes one mark
  // away, and the line stays as it is.
  if (doc.byte_order_mark || out.starts_with(kByteOrderMark)) out.insert(0, kByteOrderMark);
  return out;
}

// The document's keys over `below` (the system layer), which is only read.
class DocumentKeys final : public SettingsStore::Keys {
 public:
  explicit DocumentKeys(Document& doc, const std::map<std::string, std::string>* below = nullptr)
      : doc_(doc), below_(below) {}
  bool contains(const std::string& key) const override {
    return doc_.values.contains(key) || (below_ != nullptr && below_->contains(key));
  }
  std::string read(const std::string& key, const std::string& fallback) const override {
    if (const auto found = doc_.values.find(key); found != doc_.values.end()) return found->second;
    if (below_ == nullptr) return fallback;
    const auto found = below_->find(key);
    return found == below_->end() ? fallback : found->second;
  }
  // A key that could not read back as itself is left out, as `save` refuses it.
  void write(const std::string& key, const std::string& text) override {
    if (valid_key(key)) doc_.set(key, text);
  }

 private:
  Document& doc_;
  const std::map<std::string, std::string>* below_;
};

// Passes writes on, keeping those that change a key's text: what a journal holds.
class ChangeRecorder final : public SettingsStore::Keys {
 public:
  explicit ChangeRecorder(Keys& keys) : keys_(keys) {}
  bool contains(const std::string& key) const override { return keys_.contains(key); }
  std::string read(const std::string& key, const std::string& fallback) const override {
    return keys_.read(key, fallback);
  }
  void write(const std::string& key, const std::string& text) override {
    if (valid_key(key) && (!keys_.contains(key) || keys_.read(key, "") != text)) changes_.set(key, text);
    keys_.write(key, text);
  }
  const Document& changes() const { return changes_; }

 private:
  Keys& keys_;
  Document changes_;
};

// A journal's keys were changed by the process that wrote it.
void apply_journal(const fs::path& journal, const std::string& section, SettingsStore::Keys& keys) {
  const StoreFile kept = store_files::read_store_file(journal, SettingsStore::kMaxFileBytes);
  if (kept.status != StoreFile::Status::kRead) return;
  const Document doc = parse_document(kept.content, section);
  for (const DocumentLine& line : doc.lines) {
    if (line.own_key) keys.write(line.text, doc.values.at(line.text));
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

std::string unescape_setting_value(const std::string& text) {
  std::string out;
  out.reserve(text.size());
  for (std::size_t at = 0; at < text.size(); ++at) {
    if (text[at] != '\\' || !decode_escape(text, at, out)) out += text[at];
  }
  return out;
}

SettingsStore::SettingsStore(std::filesystem::path file, std::string section, std::vector<std::filesystem::path> system_files)
    : file_(std::move(file)), section_(std::move(section)), system_files_(std::move(system_files)) {}

std::filesystem::path SettingsStore::default_file(const std::string& application) {
  return xdg_home_folder("XDG_CONFIG_HOME", ".config") / application / "settings.ini";
}

std::vector<std::filesystem::path> SettingsStore::system_files(const std::string& application) {
  std::vector<fs::path> folders = xdg_config_dirs();
  const fs::path own = fs::path(QUARLYN_SYSCONFDIR) / "xdg";
  if (std::find(folders.begin(), folders.end(), own) == folders.end()) folders.push_back(own);
  std::vector<fs::path> files;
  for (const fs::path& folder : folders) files.push_back(folder / application / "settings.ini");
  return files;
}

void SettingsStore::reload() {
  if (!store_files::journals(file_).empty()) write_merged(kSaveWait);
  read_system_layer();
  const StoreFile stored = store_files::read_store_file(file_, kMaxFileBytes);
  Document doc;
  if (stored.status == StoreFile::Status::kRead) doc = parse_document(stored.content, section_);
  DocumentKeys keys(doc, &system_values_);
  apply_pending(keys, true);
  set_values(std::move(doc.values));
}

// Of the keys several system files hold, the first file's text counts.
void SettingsStore::read_system_layer() {
  system_values_.clear();
  for (const fs::path& file : system_files_) {
    const std::optional<std::string> content = read_checked_file(file.string(), kMaxFileBytes);
    if (content) system_values_.merge(parse_document(*content, section_).values);
  }
}

void SettingsStore::set_values(std::map<std::string, std::string> user_values) {
  values_ = std::move(user_values);
  values_.insert(system_values_.begin(), system_values_.end());
}

std::string SettingsStore::read(const std::string& key, const std::string& fallback) {
  const auto found = values_.find(key);
  const std::string& text = found == values_.end() ? fallback : found->second;
  seen_[key] = text;
  return text;
}

void SettingsStore::queue(Change change) {
  Document view;
  view.values = std::move(values_);
  DocumentKeys keys(view);
  change(keys);
  values_ = std::move(view.values);
  pending_.emplace_back(std::move(change));
}

bool SettingsStore::save(const Entries& entries, std::chrono::milliseconds wait) {
  for (const auto& entry : entries) {
    if (!valid_key(entry.first)) {
      problem_ = "the key \"" + entry.first + "\" cannot be stored";
      return false;
    }
  }
  queue_entries(entries);
  return write_pending(wait);
}

// The changed keys are found now, against what this process last saw; which of the others the
// file lacks is found when the change is applied.
void SettingsStore::queue_entries(const Entries& entries) {
  EntriesChange change;
  std::map<std::string, std::size_t> position;
  auto add = [&](const std::string& key, const std::string& text) {
    const auto [at, added] = position.emplace(key, change.texts.size());
    if (added) {
      change.texts.emplace_back(key, text);
    } else {
      change.texts[at->second].second = text;
    }
  };
  if (!pending_.empty()) {
    if (auto* earlier = std::get_if<EntriesChange>(&pending_.back())) {
      for (const auto& [key, text] : earlier->texts) add(key, text);
      change.changed = std::move(earlier->changed);
      pending_.pop_back();
    }
  }
  std::map<std::string, std::string> last;
  for (const auto& [key, text] : entries) last[key] = text;
  for (const auto& [key, text] : entries) {
    const auto seen = seen_.find(key);
    if (seen == seen_.end() || seen->second != last[key]) change.changed.insert(key);
    add(key, last[key]);
  }
  for (const auto& [key, text] : last) seen_[key] = text;
  for (const auto& [key, text] : change.texts) {
    if (change.changed.contains(key) || !values_.contains(key)) values_[key] = text;
  }
  pending_.emplace_back(std::move(change));
}

void SettingsStore::apply_pending(Keys& keys, bool fill_missing_keys) const {
  for (const PendingChange& pending : pending_) {
    if (const auto* entries = std::get_if<EntriesChange>(&pending)) {
      for (const auto& [key, text] : entries->texts) {
        if (entries->changed.contains(key) || (fill_missing_keys && !keys.contains(key))) keys.write(key, text);
      }
    } else {
      std::get<Change>(pending)(keys);
    }
  }
}

bool SettingsStore::write_pending(std::chrono::milliseconds wait) { return pending_.empty() || write_merged(wait); }

bool SettingsStore::write_merged(std::chrono::milliseconds wait) {
  const fs::path folder = store_files::folder_of(file_);
  if (!store_files::make_folders(folder)) {
    problem_ = store_files::failure(folder, errno);
    return false;
  }
  const store_files::UniqueFd lock = store_files::lock_store(file_, wait, problem_, lock_held_elsewhere_);
  if (!lock) return false;
  const fs::path target = store_files::link_target(file_);
  const StoreFile fresh = store_files::read_store_file(target, kMaxFileBytes);
  if (fresh.status == StoreFile::Status::kFailed) {
    problem_ = fresh.problem;
    return false;
  }
  Document doc = parse_document(fresh.content, section_);
  DocumentKeys keys(doc, &system_values_);
  const std::vector<fs::path> journals = store_files::journals(file_);
  for (const fs::path& journal : journals) apply_journal(journal, section_, keys);
  apply_pending(keys, true);
  const bool damaged = doc.damaged || fresh.cut_short;
  if (!store_files::write_store(target, fresh, damaged, render_document(doc, section_), problem_)) return false;
  for (const fs::path& journal : journals) ::unlink(journal.c_str());
  set_values(std::move(doc.values));
  pending_.clear();
  return true;
}

bool SettingsStore::keep_pending(std::chrono::milliseconds wait) {
  if (write_pending(wait)) return true;
  return lock_held_elsewhere_ && journal_pending();
}

// The changes are taken against the file as it is now, read without the lock: a save replaces
// it whole, so the read sees one complete version.
bool SettingsStore::journal_pending() {
  const StoreFile now = store_files::read_store_file(store_files::link_target(file_), kMaxFileBytes);
  Document doc;
  if (now.status == StoreFile::Status::kRead) doc = parse_document(now.content, section_);
  DocumentKeys keys(doc, &system_values_);
  ChangeRecorder recorder(keys);
  apply_pending(recorder, false);
  const Document& changes = recorder.changes();
  if (!changes.values.empty() && !store_files::write_journal(file_, render_document(changes, section_), problem_)) {
    return false;
  }
  pending_.clear();
  return true;
}

}  // namespace quarlyn
