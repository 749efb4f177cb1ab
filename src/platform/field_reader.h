// Sequential field input for the game's plain-text data files.
//
// The text is a series of lines; a line ends at LF, CRLF or CR, or at the end of the input.
// Lines that are empty or hold only blanks and tabs carry no field and are skipped. Every other
// line holds one field more than it has separating commas, so "1,2," is three fields, the last
// one empty, and ",," on a line of its own is three empty fields.
//
// A field's value is its text with the blanks and tabs around it removed. A field whose first
// character (after blanks and tabs) is a double quote is quoted: its value is everything up to
// the next double quote, commas included, taken as it is; a quote not closed on its line ends
// with the line. Anything between the closing quote and the next comma or line end is ignored.
// A double quote elsewhere in a field is an ordinary character.
//
// Each read takes exactly one field, whether it succeeds or not, and fails once no field is
// left.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace quarlyn {

class FieldReader {
 public:
  // Reads the file (its first MiB) at once, so no handle stays open; nothing when it cannot be
  // read or is no regular file.
  static std::optional<FieldReader> open(const std::string& path);

  explicit FieldReader(std::string text);

  // The next field's value; false when no field is left.
  bool read_text(std::string& value);
  // The next field as a whole decimal number with an optional sign ("+7", "-12", "007") that
  // fits a signed 16-bit integer. False, leaving `value` as it was, when no field is left or
  // the field is anything else ("", "1.5", "x", "40000", "1 2").
  bool read_int16(int16_t& value);

 private:
  bool at_line_end() const;
  void skip_blanks();
  void skip_blank_lines();
  void skip_line_end();
  std::string quoted_value();
  std::string plain_value();
  void finish_field();

  std::string text_;
  size_t pos_ = 0;
  bool inside_line_ = false;  // a comma was just passed, so a field follows on this line
};

}  // namespace quarlyn
