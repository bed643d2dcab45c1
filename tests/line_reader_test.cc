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
std::string read_lines(const std::string& content, int line_size) {
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

TEST(LineReader, CommentsBlanksContinuationsEscapesAndLongLines) {
  for (const auto& row : read_case_table("line_reader_cases.txt")) {
    SCOPED_TRACE(testing::PrintToString(row[0].substr(0, 60)));
    EXPECT_EQ(read_lines(row[0], std::stoi(row[1])), row[2]);
  }
}

}  // namespace
