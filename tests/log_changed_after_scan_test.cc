// A log changed by another process between the scan and the display (which
// the accounting lock exists to prevent) must still be displayed without a
// crash or a hang: a record whose bytes are gone reads like the end of the
// file, and a log deleted after the scan stays readable through its open file.
// Raw mode, which copies bytes as stored, stops at the first record that is
// no longer where the scan found it, and says so.

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
#include "support/captured_errors.h"
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
    const char* expected;
  } kRows[] = {
      {kDeleted, "  2|bob  |\n  1|ann  |\n  3|cy   |\n"},
      {kFirstRecordEnd, "   |?????|\n  1|ann  |\n  3|cy   |\n"},
      {kFirstRecordEnd - 3, "   |?????|\n  1|?????|\n  3|cy   |\n"},
      {0, "   |?????|\n   |?????|\n  3|cy   |\n"},
  };
  TempDir templates;
  DisplayTemplate tpl;
  ASSERT_TRUE(parse_template(
      templates.write("t.tpl", "%header\n%job\njob-identifier\nuser-name\n%layout\n{3}|{-5.5}|\n")
          .c_str(),
      tpl));
  for (const auto& row : kRows) {
    SCOPED_TRACE(row.cut);
    TempDir dir;
    const std::string first = dir.write("a.log", kFirstLog);
    const std::string second = dir.write("b.log", kSecondLog);
    const ScanResult scan = scan_job_logs({first.c_str(), second.c_str()}, 0, -1);
    ASSERT_TRUE(scan.ok);
    ASSERT_EQ(row.cut == kDeleted ? unlink(first.c_str()) : truncate(first.c_str(), row.cut), 0);
    RunSettings settings;
    ::testing::internal::CaptureStdout();
    show_records(scan.index, settings, tpl);
    output_channel().flush();
    EXPECT_EQ(::testing::internal::GetCapturedStdout(), row.expected);
  }
}

// Ten jobs in the first log, one in the second, shown newest first on one
// thread and on two (in stretches of two jobs); the first log is then cut,
// grown, or rewritten in place. What was shown before the record that is no
// longer there stays.
TEST(LogChangedAfterScan, RawDisplayStopsAtTheFirstRecordNoLongerThere) {
  auto jobs = [](int newest, int oldest) {
    std::string text;
    for (int i = newest; i >= oldest; --i) {
      text += "q:" + std::to_string(i) + "\n  user-name u" + std::to_string(i) + "\n";
    }
    return text;
  };
  std::string first = " Job Log created A\n  1\n";
  for (int i = 1; i <= 10; ++i) first += jobs(i, i);
  auto replaced = [&first](const std::string& from, const std::string& to) {
    std::string changed = first;
    return changed.replace(changed.find(from), from.size(), to);
  };
  const struct {
    const char* what;
    std::string content;  // the first log after the scan
    std::string expected;
  } kRows[] = {
      {"unchanged", first, jobs(10, 1) + "r:11\n"},
      {"cut", first.substr(0, first.size() - 5), ""},
      {"grown", first + "q:12\n", ""},
      {"a header of the other kind", replaced("q:3", "q.3"), jobs(10, 4)},
      {"moved by a byte", replaced("u2\nq:3\n  ", "2\nq:3\n   "), jobs(10, 4)},
      {"filled with NUL bytes", replaced(jobs(5, 5), std::string(19, '\0')), jobs(10, 7)},
      {"a record header no more", replaced("q:1", " :1"), jobs(10, 2)},
  };
  TempDir dir;
  RunSettings raw;
  raw.raw = true;
  for (const auto& row : kRows) {
    for (const bool two_threads : {false, true}) {
      SCOPED_TRACE(std::string(row.what) + (two_threads ? ", two threads" : ""));
      set_display_stretch(two_threads ? 2 : SIZE_MAX / 8);
      const std::string first_log = dir.write("a.log", first);
      const std::string second_log = dir.write("b.log", " Job Log created B\n  2\nr:11\n");
      const ScanResult scan = scan_job_logs({first_log.c_str(), second_log.c_str()}, 0, -1);
      ASSERT_TRUE(scan.ok);
      dir.write("a.log", row.content);  // in place: the scan's open file sees it
      CapturedErrors errors;
      ::testing::internal::CaptureStdout();
      const bool whole = show_records(scan.index, raw, builtin_display());
      output_channel().flush();
      EXPECT_EQ(::testing::internal::GetCapturedStdout(), row.expected);
      const bool changed = row.content != first;
      EXPECT_EQ(whole, !changed);
      EXPECT_EQ(errors.text(),
                changed ? "The file '" + first_log + "' changed while it was shown.\n" : "");
    }
  }
  set_display_stretch(SIZE_MAX / 8);
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
