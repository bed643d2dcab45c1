// A log changed by another process between the scan and the display (which
// the accounting lock exists to prevent) must still be displayed without a
// crash or a hang: a record whose bytes are gone reads like the end of the
// file, and a log deleted after the scan stays readable through its open file.

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <string>

#include "diag/output_channel.h"
#include "driver/output_loop.h"
#include "driver/run_settings.h"
#include "joblog/job_log_scan.h"
#include "joblog/log_file.h"
#include "joblog/log_lines.h"
#include "support/temp_dir.h"
#include "template/template_parser.h"

namespace {

constexpr char kFirstLog[] =
    " Job Log created A\n1\n"
    "q:1\n  user-name ann\n"
    "q:2\n  user-name bob\n";
constexpr long kFirstRecordEnd = sizeof " Job Log created A\n1\nq:1\n  user-name ann\n" - 1;
constexpr char kSecondLog[] = " Job Log created B\n2\nq:3\n  user-name cy\n";

// Both logs are scanned (the second one's reading takes the shared read window
// from the first), then the first is deleted or cut to `cut` bytes before
// the display. A record whose bytes are gone has no header text, so an empty
// identifier, and the missing fill for its attribute; a cut attribute line has
// no newline any more, so the end of the file comes first and it is not found.
TEST(LogChangedAfterScan, LogDeletedOrCutShorter) {
  constexpr long kDeleted = -1;
  const struct {
    long cut;
    bool raw;
    const char* expected;
  } kRows[] = {
      {kDeleted, false, "  2|bob  |\n  1|ann  |\n  3|cy   |\n"},
      {kFirstRecordEnd, false, "   |?????|\n  1|ann  |\n  3|cy   |\n"},
      {kFirstRecordEnd - 3, false, "   |?????|\n  1|?????|\n  3|cy   |\n"},
      {0, false, "   |?????|\n   |?????|\n  3|cy   |\n"},
      {kFirstRecordEnd, true, "q:1\n  user-name ann\n1\nq:3\n  user-name cy\n2\n"},
  };
  TempDir templates;
  DisplayTemplate tpl;
  ASSERT_TRUE(parse_template(
      templates.write("t.tpl", "%header\n%job\njob-identifier\nuser-name\n%layout\n{3}|{-5.5}|\n")
          .c_str(),
      tpl));
  for (const auto& row : kRows) {
    SCOPED_TRACE(std::to_string(row.cut) + (row.raw ? " raw" : ""));
    TempDir dir;
    const std::string first = dir.write("a.log", kFirstLog);
    const std::string second = dir.write("b.log", kSecondLog);
    const ScanResult scan = scan_job_logs({first.c_str(), second.c_str()}, 0, -1);
    ASSERT_TRUE(scan.ok);
    ASSERT_EQ(row.cut == kDeleted ? unlink(first.c_str()) : truncate(first.c_str(), row.cut), 0);
    RunSettings settings;
    settings.raw = row.raw;
    ::testing::internal::CaptureStdout();
    show_records(scan.index, settings, tpl);
    output_channel().flush();
    EXPECT_EQ(::testing::internal::GetCapturedStdout(), row.expected);
  }
}

// The read window is loaded backwards from the end of a large log; the file
// is then cut to a few bytes, and a read before the window must find the end
// of the file, not bytes left in the window by the earlier read.
TEST(LogChangedAfterScan, LogCutBelowAReadBeforeTheWindow) {
  TempDir dir;
  std::string content = " Job Log created L\n1\nq:1\n";
  while (content.size() < (size_t{6} << 20)) content += "  attribute value\n";
  const std::string path = dir.write("big.log", content);
  std::FILE* stream = std::fopen(path.c_str(), "r");
  ASSERT_NE(stream, nullptr);
  {
    LogFile log(stream);
    EXPECT_EQ(read_line(log, static_cast<int64_t>(content.size()) - 18).text().size(), 17);
    ASSERT_EQ(truncate(path.c_str(), 10), 0);
    const LogLine line = read_line(log, 21);
    EXPECT_EQ(line.size, 0);
    EXPECT_TRUE(line.at_end);
  }
  std::fclose(stream);
}

}  // namespace
