// A log changed by another process between the scan and the display (which
// the accounting lock exists to prevent) must still be displayed without a
// crash or a hang: a record whose bytes are gone reads like the end of the
// file, and a log deleted after the scan stays readable through its open file.

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <string>

#include "driver/job_log_scan.h"
#include "driver/log_file.h"
#include "driver/output_loop.h"
#include "driver/run_settings.h"
#include "support/temp_dir.h"
#include "template/display_template.h"

namespace {

constexpr char kFirstLog[] =
    " Job Log created A\n1\n"
    "q:1\n  user-name ann\n"
    "q:2\n  user-name bob\n";
constexpr size_t kFirstRecordEnd = sizeof " Job Log created A\n1\nq:1\n  user-name ann\n" - 1;
constexpr char kSecondLog[] = " Job Log created B\n2\nq:3\n  user-name cy\n";

DisplayItem item(const char* name, const char* width, const char* leading = nullptr,
                 const char* trailing = nullptr) {
  DisplayItem i;
  i.attribute_name = name;
  i.field_width = width;
  if (leading != nullptr) i.leading_text = leading;
  if (trailing != nullptr) i.trailing_text = trailing;
  return i;
}

class LogChangedAfterScan : public ::testing::Test {
 protected:
  LogChangedAfterScan()
      : first_(dir_.write("a.log", kFirstLog)), second_(dir_.write("b.log", kSecondLog)) {
    tpl_.header_lines.clear();
    tpl_.job_items = {item("job-identifier", "3"), item("user-name", "-5.5", "|", "|\n")};
  }

  // Scans both logs (the second one's reading takes the shared read window
  // from the first), lets `change` act on the first, then displays.
  template <typename Change>
  std::string display_after(Change change) {
    const ScanResult scan = scan_job_logs({first_.c_str(), second_.c_str()}, 0, -1);
    EXPECT_TRUE(scan.ok);
    change();
    ::testing::internal::CaptureStdout();
    show_records(scan.index, RunSettings{}, tpl_);
    std::fflush(stdout);
    return ::testing::internal::GetCapturedStdout();
  }

  TempDir dir_;
  std::string first_;
  std::string second_;
  DisplayTemplate tpl_;
};

TEST_F(LogChangedAfterScan, Unchanged) {
  EXPECT_EQ(display_after([] {}), "  2|bob  |\n  1|ann  |\n  3|cy   |\n");
}

TEST_F(LogChangedAfterScan, DeletedLogStaysReadable) {
  EXPECT_EQ(display_after([this] { ASSERT_EQ(unlink(first_.c_str()), 0); }),
            "  2|bob  |\n  1|ann  |\n  3|cy   |\n");
}

TEST_F(LogChangedAfterScan, TruncatedBetweenRecords) {
  // The second record's bytes are gone: no header text, so an empty
  // identifier, and the missing fill for its attribute.
  EXPECT_EQ(display_after([this] { ASSERT_EQ(truncate(first_.c_str(), kFirstRecordEnd), 0); }),
            "   |?????|\n  1|ann  |\n  3|cy   |\n");
}

TEST_F(LogChangedAfterScan, TruncatedMidRecord) {
  // The cut attribute line has no newline any more: the end of the file
  // comes first, so it is not found.
  EXPECT_EQ(display_after([this] { ASSERT_EQ(truncate(first_.c_str(), kFirstRecordEnd - 3), 0); }),
            "   |?????|\n  1|?????|\n  3|cy   |\n");
}

TEST_F(LogChangedAfterScan, TruncatedToNothing) {
  EXPECT_EQ(display_after([this] { ASSERT_EQ(truncate(first_.c_str(), 0), 0); }),
            "   |?????|\n   |?????|\n  3|cy   |\n");
}

TEST_F(LogChangedAfterScan, TruncatedInRawMode) {
  const ScanResult scan = scan_job_logs({first_.c_str(), second_.c_str()}, 0, -1);
  ASSERT_EQ(truncate(first_.c_str(), kFirstRecordEnd), 0);
  RunSettings raw;
  raw.raw = true;
  ::testing::internal::CaptureStdout();
  show_records(scan.index, raw, tpl_);
  std::fflush(stdout);
  EXPECT_EQ(::testing::internal::GetCapturedStdout(),
            "q:1\n  user-name ann\n1\nq:3\n  user-name cy\n2\n");
}

}  // namespace

namespace {

// The read window is loaded backwards from the end of a large log; the file
// is then cut to a few bytes, and a read before the window must find the end
// of the file, not bytes left in the window by the earlier read.
TEST(LogFileCutShorter, ReadBeforeTheWindow) {
  TempDir dir;
  std::string content = " Job Log created L\n1\nq:1\n";
  while (content.size() < (size_t{6} << 20)) content += "  attribute value\n";
  const std::string path = dir.write("big.log", content);
  std::FILE* stream = std::fopen(path.c_str(), "r");
  ASSERT_NE(stream, nullptr);
  {
    LogFile log(stream);
    EXPECT_EQ(log.read_piece(static_cast<int64_t>(content.size()) - 18).text(),
              "  attribute value\n");
    ASSERT_EQ(truncate(path.c_str(), 10), 0);
    int pieces = 0;
    log.for_each_piece(21, [&pieces](const LogPiece& piece) {
      EXPECT_EQ(piece.size, 0u);
      EXPECT_TRUE(piece.at_end);
      return ++pieces < 100;
    });
    EXPECT_EQ(pieces, 1);
  }
  std::fclose(stream);
}

}  // namespace
