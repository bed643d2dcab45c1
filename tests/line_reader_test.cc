#include "template/line_reader.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "diag/diagnostics.h"
#include "support/captured_errors.h"
#include "support/case_table.h"
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

TEST(LineReader, Table) {
  for (const auto& row : read_case_table("line_reader_cases.txt")) {
    SCOPED_TRACE(testing::PrintToString(row[0].substr(0, 60)));
    EXPECT_EQ(read_lines(row[0], std::stoi(row[1])), row[2]);
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
