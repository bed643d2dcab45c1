#include "template/line_reader.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "diag/diagnostics.h"
#include "support/captured_errors.h"
#include "support/temp_dir.h"

namespace {

// Reads a whole template file as the parser does: each logical line as
// "text@line number;", then "end@" the final line number, then the messages.
std::string read_lines(const std::string& content, int line_size = kTemplateLineSize) {
  TempDir dir;
  CapturedErrors errors;
  std::FILE* stream = std::fopen(dir.write("t.tpl", content).c_str(), "r");
  ReaderContext context{stream, "t.tpl", line_size, 0, '!'};
  set_context(&context);
  std::vector<char> buffer(static_cast<size_t>(line_size));
  std::string shown;
  while (read_logical_line(buffer.data(), context))
    shown += std::string(buffer.data()) + "@" + std::to_string(context.line_number) + ";";
  std::fclose(stream);
  return shown + "end@" + std::to_string(context.line_number) + errors.text();
}

struct Row {
  std::string content;
  int line_size;
  std::string shown;
};

const std::string k1998(1998, 'x');
const std::string k1999(1999, 'x');

const Row kRows[] = {
    {"", 2000, "end@1"},
    {"abc\nlast", 2000, "abc\n@1;end@2"},
    {"abc\n\n \n", 2000, "abc\n@1;end@4"},
    {"! title\n   ! indented\nabc\n", 2000, "abc\n@3;end@4"},
    {"abc ! note\nx\n", 2000, "abc @1;x\n@2;end@3"},
    {"\n \t \n\t\nabc\n", 2000, "abc\n@4;end@5"},
    {"\r\nabc\r\n", 2000, "\r\n@1;abc\r\n@2;end@3"},  // a carriage return is not blank
    {"\\t\\t\n", 2000, "\t\t\n@1;end@2"},              // nor are escaped blanks
    {"\\b\\f\\n\\r\\t\\\\\\q.\n", 2000, "\b\f\n\r\t\\q.\n@1;end@2"},
    // The comment is cut before escapes: the backslash is left last and dropped.
    {"ab\\! c\nxy\n", 2000, "ab@1;xy\n@2;end@3"},
    {"ab\\x! c\ncd\n", 2000, "abcd\n@2;end@3"},
    {"ab\\\n  cd\nef\n", 2000, "ab  cd\n@2;ef\n@3;end@4"},
    {"ab\\n\ncd\n", 2000, "ab\n\n@1;cd\n@2;end@3"},
    {"ab\\\r\ncd\n", 2000, "ab\r\n@1;cd\n@2;end@3"},
    {"ab\\\n\n  ! c\ncd\n", 2000, "abcd\n@4;end@5"},
    {"ab\\\n", 2000, "end@2"},
    {"ab\\\ncd", 2000, "end@2"},
    {"ab\\\n\n", 2000, "end@3"},
    // Room 20 shrinks by 6, then by 6: the third line may have 7 characters.
    {"aaaa\\\nbbbb\\\ncccccc\n", 20, "aaaabbbbcccccc\n@3;end@4"},
    // A line too long ends where it stood, its backslash escaping the newline.
    {"aaaa\\\nbbbb\\\nccccccc\nz\n", 20, "aaaabbbb\n@3;z\n@4;end@5t.tpl:   3: Line too long!\n"},
    {"abcdefgh\\\n12345678\n", 20, "abcdefgh12345678\n@2;end@3"},
    {"abcdefgh\\\n123456789\nz\n", 20, "abcdefgh\n@2;z\n@3;end@4t.tpl:   2: Line too long!\n"},
    {"abcdefgh\\\n   \nxy\n", 20, "abcdefghxy\n@3;end@4"},
    {"abcdefgh\\\n   \n0123456789\nz\n", 20,
     "abcdefgh   \n@3;z\n@4;end@5t.tpl:   3: Line too long!\n"},
    {k1998 + "\n", 2000, k1998 + "\n@1;end@2"},
    // The second piece is the newline alone, skipped as blank.
    {k1999 + "\nabc\n", 2000, k1999 + "@1;abc\n@3;end@4"},
};

TEST(LineReader, Table) {
  for (const Row& row : kRows) {
    SCOPED_TRACE(testing::PrintToString(row.content.substr(0, 60)));
    EXPECT_EQ(read_lines(row.content, row.line_size), row.shown);
  }
}

TEST(LineReader, PhysicalReadCountsEveryAttempt) {
  TempDir dir;
  std::FILE* stream = std::fopen(dir.write("t.tpl", "abcdef\n").c_str(), "r");
  ReaderContext context{stream, "t.tpl", 4, 0, '!'};
  char buffer[4];
  ASSERT_NE(read_physical_line(buffer, context), nullptr);
  EXPECT_STREQ(buffer, "abc");
  ASSERT_NE(read_physical_line(buffer, context), nullptr);
  EXPECT_STREQ(buffer, "def");
  ASSERT_NE(read_physical_line(buffer, context), nullptr);
  EXPECT_STREQ(buffer, "\n");
  EXPECT_EQ(read_physical_line(buffer, context), nullptr);
  EXPECT_STREQ(buffer, "\n");  // left as it was
  EXPECT_EQ(context.line_number, 4);
  std::fclose(stream);
}

TEST(LineReader, ReadErrorEndsReading) {
  // Reading a stream opened for writing fails without ever reaching the end.
  TempDir dir;
  std::FILE* stream = std::fopen(dir.write("t.tpl", "").c_str(), "w");
  ReaderContext context{stream, "t.tpl", kTemplateLineSize, 0, '!'};
  char buffer[kTemplateLineSize];
  EXPECT_FALSE(read_logical_line(buffer, context));
  EXPECT_FALSE(read_logical_line(buffer, context));
  EXPECT_EQ(context.line_number, 2);
  std::fclose(stream);
}

}  // namespace
