#include "platform/field_reader.h"

#include <utility>

#include "platform/checked_file.h"

namespace quarlyn {

namespace {

bool is_blank(char c) { return c == ' ' || c == '\t'; }
bool is_line_end(char c) { return c == '\n' || c == '\r'; }
bool ends_field(char c) { return c == ',' || is_line_end(c); }

// A whole decimal number with an optional sign, within the signed 16-bit range.
bool parse_int16(const std::string& text, int16_t& value) {
  size_t i = 0;
  const bool negative = !text.empty() && text[0] == '-';
  if (!text.empty() && (text[0] == '-' || text[0] == '+')) i = 1;
  if (i == text.size()) return false;
  int32_t magnitude = 0;
  for (; i < text.size(); ++i) {
    if (text[i] < '0' || text[i] > '9') return false;
    magnitude = magnitude * 10 + (text[i] - '0');
    if (magnitude > 32768) return false;  // stops growth long before int32 could overflow
  }
  const int32_t signed_value = negative ? -magnitude : magnitude;
  if (signed_value > 32767) return false;
  value = static_cast<int16_t>(signed_value);
  return true;
}

}  // namespace

std::optional<FieldReader> FieldReader::open(const std::string& path) {
  // The game's data files hold a few thousand fields; a larger file is read only this far, so
  // a wrong or hostile file cannot exhaust memory.
  constexpr size_t kMaxBytes = 1 << 20;
  std::optional<std::string> text = CheckedFile::open(path, kAnyFileSize).read_prefix(kMaxBytes);
  if (!text) return std::nullopt;
  return FieldReader(std::move(*text));
}

FieldReader::FieldReader(std::string text) : text_(std::move(text)) {}

bool FieldReader::read_text(std::string& value) {
  if (!inside_line_) {
    skip_blank_lines();
    if (pos_ >= text_.size()) return false;
  }
  skip_blanks();
  value = pos_ < text_.size() && text_[pos_] == '"' ? quoted_value() : plain_value();
  finish_field();
  return true;
}

bool FieldReader::read_int16(int16_t& value) {
  std::string field;
  return read_text(field) && parse_int16(field, value);
}

bool FieldReader::at_line_end() const { return pos_ >= text_.size() || is_line_end(text_[pos_]); }

void FieldReader::skip_blanks() {
  while (pos_ < text_.size() && is_blank(text_[pos_])) ++pos_;
}

void FieldReader::skip_blank_lines() {
  for (;;) {
    skip_blanks();
    if (pos_ >= text_.size() || !is_line_end(text_[pos_])) return;
    skip_line_end();
  }
}

void FieldReader::skip_line_end() {
  // CR, LF and CRLF each end one line.
  if (pos_ < text_.size() && text_[pos_] == '\r') ++pos_;
  if (pos_ < text_.size() && text_[pos_] == '\n') ++pos_;
}

std::string FieldReader::quoted_value() {
  const size_t start = ++pos_;
  while (!at_line_end() && text_[pos_] != '"') ++pos_;
  std::string value = text_.substr(start, pos_ - start);
  if (pos_ < text_.size() && text_[pos_] == '"') ++pos_;
  return value;
}

std::string FieldReader::plain_value() {
  const size_t start = pos_;
  while (pos_ < text_.size() && !ends_field(text_[pos_])) ++pos_;
  size_t end = pos_;
  while (end > start && is_blank(text_[end - 1])) --end;
  return text_.substr(start, end - start);
}

void FieldReader::finish_field() {
  while (pos_ < text_.size() && !ends_field(text_[pos_])) ++pos_;
  inside_line_ = pos_ < text_.size() && text_[pos_] == ',';
  if (inside_line_) {
    ++pos_;
  } else {
    skip_line_end();
  }
}

}  // namespace quarlyn
