#include "driver/job_log_scan.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "diag/diagnostics.h"
#include "support/temp_dir.h"

using namespace std::string_literals;

namespace {

const std::string kBanner = " Job Log created ";

// Scans logs written into a scratch directory and captures the messages.
class JobLogScan : public ::testing::Test {
 protected:
  void SetUp() override {
    errors_ = std::tmpfile();
    diagnostics().err = errors_;
    diagnostics().error_count = 0;
  }
  void TearDown() override {
    diagnostics().err = nullptr;
    diagnostics().error_count = 0;
    std::fclose(errors_);
  }

  std::string log(const std::string& name, const std::string& content) {
    return dir_.write(name, content);
  }

  ScanResult scan(const std::vector<std::string>& paths, long start_after = 0, long max_jobs = -1) {
    std::vector<const char*> names;
    for (const std::string& path : paths) names.push_back(path.c_str());
    return scan_job_logs(names, start_after, max_jobs);
  }

  std::string messages() {
    std::fflush(errors_);
    std::string text;
    std::rewind(errors_);
    for (int c; (c = std::fgetc(errors_)) != EOF;) text += static_cast<char>(c);
    return text;
  }

  // The header lines of the indexed records, in display order, each marked
  // J (job) or D (document), without their line end.
  static std::vector<std::string> shown(const ScanResult& result) {
    std::vector<std::string> lines;
    for (auto cursor = result.index.begin(); !cursor.done(); cursor.next()) {
      const JobEntry entry = cursor.entry();
      std::string line(entry.log->read_piece(entry.record_offset).text());
      if (!line.empty() && line.back() == '\n') line.pop_back();
      lines.push_back((entry.is_job ? "J " : "D ") + line);
    }
    return lines;
  }

  TempDir dir_;
  std::FILE* errors_ = nullptr;
};

using Lines = std::vector<std::string>;

// A log whose second line is passed over, then D1 J1 D2 J2 D3 J3.
const std::string kInterleaved = kBanner + "S\n  7\nd.1\n a 1\nj:1\n b 2\nd.2\nj:2\nd.3\nj:3\n c\n";

TEST_F(JobLogScan, BannerWithoutLeadingSpaceIsNotAJobLogAndLaterLogsStayUnopened) {
  const ScanResult result =
      scan({log("a", "Job Log created x\n0\nj:1\n"), dir_.path() + "/missing"});
  EXPECT_FALSE(result.ok);
  EXPECT_EQ(result.logs_taken, 1u);
  EXPECT_EQ(messages(), "The file '" + dir_.path() + "/a' is not a job log.\n");
}

TEST_F(JobLogScan, BannerOnlyAtEndOfFileGivesEmptyStampAndNumberZero) {
  const ScanResult result = scan({log("a", kBanner)});
  EXPECT_TRUE(result.ok);
  EXPECT_EQ(result.stamp, "");
  EXPECT_TRUE(result.index.empty());
  EXPECT_EQ(messages(), "");
}

TEST_F(JobLogScan, StampKeepsItsLineEndAndLongStampIsCutAt237) {
  EXPECT_EQ(scan({log("a", kBanner + "abc\n")}).stamp, "abc\n");
  const std::string long_stamp(300, 's');
  EXPECT_EQ(scan({log("b", kBanner + long_stamp + "\n")}).stamp, std::string(237, 's'));
}

TEST_F(JobLogScan, LogNumberLineIsIndexedOnlyWhenItIsBare) {
  const ScanResult bare = scan({log("a", kBanner + "S\n42\nj:1\n")});
  EXPECT_EQ(shown(bare), (Lines{"J j:1", "D 42"}));
  EXPECT_EQ(bare.index.begin().entry().log_number, 42);
  const ScanResult indented = scan({log("b", kBanner + "S\n  42\nj:1\n")});
  EXPECT_EQ(shown(indented), (Lines{"J j:1"}));
  EXPECT_EQ(indented.index.begin().entry().log_number, 42);
}

TEST_F(JobLogScan, LastColonOrDotDecidesTheKind) {
  // Text after a NUL byte is not part of the line as the device's tools see it.
  const std::string records = "a.b:c\na:b.c\nplain\nnul.\0:\n"s;
  const ScanResult result = scan({log("a", kBanner + "S\n 1\n" + records)});
  EXPECT_EQ(shown(result), (Lines{"D nul.", "D plain", "D a:b.c", "J a.b:c"}));
  EXPECT_EQ(result.jobs_indexed, 1u);
}

TEST_F(JobLogScan, LongAttributeLineRestIsExaminedOnItsOwn) {
  const std::string attribute = " " + std::string(253, 'a');  // exactly one piece
  const ScanResult result = scan({log("a", kBanner + "S\n 1\nj:1\n" + attribute + "rest:2\n")});
  EXPECT_EQ(shown(result), (Lines{"J rest:2", "J j:1"}));
}

TEST_F(JobLogScan, HeaderLineWithoutNewlineAtEndIsNotIndexed) {
  const ScanResult result = scan({log("a", kBanner + "S\n 1\nj:1\n x\nj:2")});
  EXPECT_EQ(shown(result), (Lines{"J j:1"}));
  EXPECT_EQ(result.jobs_indexed, 1u);
}

TEST_F(JobLogScan, StartAfterKeepsDocumentsWithTheJobAfterThem) {
  const ScanResult result = scan({log("a", kInterleaved)}, 2);
  EXPECT_EQ(shown(result), (Lines{"J j:3", "D d.3"}));
  EXPECT_EQ(result.jobs_indexed, 1u);
}

TEST_F(JobLogScan, StartAfterZeroOrNegativeKeepsEverythingNewestFirst) {
  const Lines all{"J j:3", "D d.3", "J j:2", "D d.2", "J j:1", "D d.1"};
  EXPECT_EQ(shown(scan({log("a", kInterleaved)}, 0)), all);
  EXPECT_EQ(shown(scan({log("b", kInterleaved)}, -5)), all);
}

TEST_F(JobLogScan, StartAfterAppliesToTheFirstLogOnly) {
  const ScanResult result =
      scan({log("a", kBanner + "A\n 1\nj:1\n"), log("b", kBanner + "B\n 2\nk:1\nk:2\n")}, 3);
  EXPECT_EQ(shown(result), (Lines{"J k:2", "J k:1"}));
  EXPECT_EQ(result.logs_taken, 2u);
  EXPECT_EQ(result.stamp, "B\n");
  EXPECT_EQ(result.index.begin().entry().log_number, 2);
}

TEST_F(JobLogScan, MaxJobsIsComparedBetweenLogsOnly) {
  const std::string five = kBanner + "S\n 1\nj:1\nj:2\nj:3\nj:4\nj:5\n";
  const ScanResult result = scan({log("a", five), dir_.path() + "/missing"}, 0, 2);
  EXPECT_TRUE(result.ok);
  EXPECT_EQ(result.jobs_indexed, 5u);
  EXPECT_EQ(result.logs_taken, 1u);
  EXPECT_EQ(messages(), "");
}

TEST_F(JobLogScan, LogWithoutRecordsInTheMiddleAddsNothing) {
  const ScanResult result =
      scan({log("a", kBanner + "A\n 1\na:1\na:2\n"),
            log("b", kBanner + "B\n 2\n only attributes\n"), log("c", kBanner + "C\n 3\nc:1\n")});
  EXPECT_EQ(shown(result), (Lines{"J a:2", "J a:1", "J c:1"}));
  EXPECT_EQ(result.logs_taken, 3u);
}

}  // namespace
