#include "platform/field_reader.h"

#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <vector>

#include "support/temp_folder.h"

namespace quarlyn {
namespace {

using Fields = std::vector<std::string>;

Fields all_fields(const std::string& text) {
  FieldReader reader(text);
  Fields fields;
  std::string field;
  while (reader.read_text(field)) fields.push_back(field);
  return fields;
}

TEST(FieldReader, SplitsAtCommasAndLineEndsKeepingEmptyFieldsButNotBlankLines) {
  EXPECT_EQ(all_fields("a,b\nc\r\nd\re\n"), (Fields{"a", "b", "c", "d", "e"}));
  EXPECT_EQ(all_fields(",,"), (Fields{"", "", ""}));
  EXPECT_EQ(all_fields("1,,2,\n3"), (Fields{"1", "", "2", "", "3"}));
  EXPECT_EQ(all_fields("1\r\n \t \n\n2"), (Fields{"1", "2"}));
  EXPECT_EQ(all_fields(""), Fields{});
}

TEST(FieldReader, TrimsBlanksAndTabsAndTakesQuotedTextAsItIs) {
  EXPECT_EQ(all_fields(" \ta b \t, c\t"), (Fields{"a b", "c"}));
  EXPECT_EQ(all_fields("  \" x,y \"  ,z"), (Fields{" x,y ", "z"}));
  EXPECT_EQ(all_fields("\"\",\"a\"bc,d"), (Fields{"", "a", "d"}));          // after the closing quote: ignored
  EXPECT_EQ(all_fields("\"open,still\nnext"), (Fields{"open,still", "next"}));  // an open quote ends with its line
  EXPECT_EQ(all_fields("ab\"c,d"), (Fields{"ab\"c", "d"}));
}

TEST(FieldReader, ReadsOnlyWholeSixteenBitNumbersAndAlwaysTakesTheField) {
  FieldReader good("0, -32768 ,32767,+12,007,\"5\"");
  std::vector<int16_t> values;
  int16_t value = 0;
  while (good.read_int16(value)) values.push_back(value);
  EXPECT_EQ(values, (std::vector<int16_t>{0, -32768, 32767, 12, 7, 5}));

  for (const char* bad : {"1.5", "", "x", "40000", "32768", "-32769", "1 2", "-", "99999999999999999999", "1e3"}) {
    FieldReader reader(std::string(bad) + ",9");
    value = 123;
    EXPECT_FALSE(reader.read_int16(value)) << bad;
    EXPECT_EQ(value, 123) << bad;
    EXPECT_TRUE(reader.read_int16(value) && value == 9) << bad;
  }
}

TEST(FieldReader, OpensFilesAndRefusesMissingOnes) {
  testing::TempFolder folder;
  const std::string path = (folder.path() / "data.txt").string();
  std::ofstream(path, std::ios::binary) << "\"title\"\r\n3\r\n";
  std::optional<FieldReader> reader = FieldReader::open(path);
  ASSERT_TRUE(reader.has_value());
  std::string title;
  int16_t count = 0;
  EXPECT_TRUE(reader->read_text(title) && reader->read_int16(count));
  EXPECT_EQ(title, "title");
  EXPECT_EQ(count, 3);
  EXPECT_FALSE(reader->read_text(title));
  EXPECT_FALSE(FieldReader::open((folder.path() / "missing.txt").string()).has_value());
}

}  // namespace
}  // namespace quarlyn
