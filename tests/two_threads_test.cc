// A large log is scanned in two halves and displayed in stretches by two
// threads. Here the sizes at which that begins are made small, and every
// display of generated logs, clean and damaged, must come out byte for byte
// as it does on one thread: headers repeated across stretches, a job limit
// that ends inside one, a stretch or a single job too large to gather, raw
// records, two logs.

#include <gtest/gtest.h>
#include <sys/resource.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <utility>
#include <vector>

#include "diag/output_channel.h"
#include "driver/output_loop.h"
#include "driver/run_settings.h"
#include "joblog/job_log_scan.h"
#include "log_generator.h"
#include "select/job_selection.h"
#include "support/temp_dir.h"
#include "template/display_template.h"
#include "template/template_parser.h"

namespace {

std::string generated_log(const LogShape& shape) {
  LogGenerator generator(shape);
  std::string log;
  while (generator.next(log)) {
  }
  return log;
}

std::string display(const std::vector<LogSource>& logs, const RunSettings& settings,
                    const DisplayTemplate& tpl, bool two_threads,
                    const JobSelection* selection = nullptr) {
  set_scan_halves_min(two_threads ? 4096 : INT64_MAX);
  set_display_stretch(two_threads ? 3 : SIZE_MAX / 8);
  set_selection_halves_min(two_threads ? 64 : SIZE_MAX);
  std::FILE* out = std::tmpfile();
  output_channel().set_stream(out);
  JobSelection everything;
  SelectedJobs selected(selection != nullptr ? *selection : everything);
  const unsigned long limit = static_cast<unsigned long>(settings.max_jobs);
  JobCounter counter;
  if (selection != nullptr) {
    counter = [&](const RecordIndex& index, unsigned long) {
      return selected.decide(index, limit);
    };
  }
  const ScanResult scan = scan_job_logs(logs, settings.start_after, settings.max_jobs, counter);
  if (selection != nullptr) selected.decide(scan.index, limit);
  if (scan.ok) show_records(scan.index, settings, tpl, selection != nullptr ? &selected : nullptr);
  output_channel().flush();
  output_channel().set_stream(nullptr);
  std::string made;
  std::rewind(out);
  char block[1 << 16];
  for (size_t n; (n = std::fread(block, 1, sizeof block, out)) > 0;) made.append(block, n);
  std::fclose(out);
  return made;
}

// `records` small jobs, `count` from the middle on of `large` bytes of `line_size`-byte lines.
std::string log_with_large_records(int records, int count, size_t large, size_t line_size) {
  const std::string line = "  job-name " + std::string(line_size - 12, 'v') + "\n";
  std::string log = " Job Log created stamp\n 1\n";
  for (int i = 0; i < records; ++i) {
    log += "jobs:" + std::to_string(i) + "\n  job-name n" + std::to_string(i) + "\n";
    const bool is_large = i >= records / 2 && i < records / 2 + count;
    for (size_t n = 0; is_large && n < large / line_size; ++n) log += line;
  }
  return log;
}

TEST(LargeLogs, OneThreadAndTwoShowTheSameBytes) {
  TempDir dir;
  LogShape damaged;
  damaged.seed = 7;
  damaged.size = 300 << 10;
  damaged.long_lines = damaged.blank_lines = damaged.crlf = damaged.nul_bytes = true;
  damaged.trailing_documents = damaged.odd_lines = damaged.no_final_newline = true;
  LogShape clean;
  clean.size = 300 << 10;
  const std::string damaged_log = dir.write("damaged.log", generated_log(damaged));
  const std::string clean_log = dir.write("clean.log", generated_log(clean));
  // Three records of 700 KB in one stretch: the second passes what may be gathered.
  const std::string large_log =
      dir.write("large.log", log_with_large_records(60, 3, 700 << 10, 100));

  DisplayTemplate wide;  // 600 KB a job: a stretch of three passes what may be gathered
  ASSERT_TRUE(parse_template(dir.write("wide.tpl",
                                       "%header\nwide\n%job\njob-identifier\nuser-name\n"
                                       "%layout\n{5}{600000}\n%trailer\nend\n")
                                 .c_str(),
                             wide));
  DisplayTemplate every_name;  // all names of a job
  ASSERT_TRUE(parse_template(dir.write("names.tpl", "%job\n+job-name\n%layout\n{-3.3}|\n").c_str(),
                             every_name));
  DisplayTemplate csv, json;
  ASSERT_TRUE(parse_template(JOBVIEW_SOURCE_DIR "/examples/csv.tpl", csv));
  ASSERT_TRUE(parse_template(JOBVIEW_SOURCE_DIR "/examples/json.tpl", json));
  const DisplayTemplate builtin = builtin_display();

  RunSettings plain;
  RunSettings every_seven;  // headers every seven jobs, within and across stretches
  every_seven.job_count = 7;
  RunSettings limited;  // ends inside a stretch, after jobs passed over
  limited.max_jobs = 100;
  limited.start_after = 5;
  RunSettings raw;
  raw.raw = true;
  RunSettings passed_over;  // the choices split at another record
  passed_over.start_after = 3;
  passed_over.job_count = 7;
  RunSettings wide_limit;
  wide_limit.max_jobs = 20;

  JobSelection owners;
  owners.add_match("user-name=*e*");
  owners.add_match("job-type=[cps]*");

  const struct {
    const char* name;
    std::vector<LogSource> logs;
    const RunSettings& settings;
    const DisplayTemplate& tpl;
    const JobSelection* selection = nullptr;
  } kRuns[] = {
      {"built-in", {clean_log.c_str()}, plain, builtin},
      {"built-in, damaged", {damaged_log.c_str()}, plain, builtin},
      {"built-in, two logs", {damaged_log.c_str(), clean_log.c_str()}, every_seven, builtin},
      {"csv, damaged", {damaged_log.c_str()}, every_seven, csv},
      {"json, limited", {damaged_log.c_str(), clean_log.c_str()}, limited, json},
      {"raw, damaged", {damaged_log.c_str()}, raw, builtin},
      {"wide", {clean_log.c_str()}, wide_limit, wide},
      {"raw, a large record", {large_log.c_str()}, raw, builtin},
      {"every name, a large record", {large_log.c_str()}, plain, every_name},
      {"selected, damaged", {damaged_log.c_str(), clean_log.c_str()}, every_seven, csv, &owners},
      {"selected, passed over", {damaged_log.c_str()}, passed_over, builtin, &owners},
      {"selected, limited", {damaged_log.c_str(), clean_log.c_str()}, limited, json, &owners},
  };
  for (const auto& run : kRuns) {
    SCOPED_TRACE(run.name);
    const std::string one = display(run.logs, run.settings, run.tpl, false, run.selection);
    const std::string two = display(run.logs, run.settings, run.tpl, true, run.selection);
    EXPECT_GT(one.size(), 10000u);
    EXPECT_TRUE(one == two) << one.size() << " bytes on one thread, " << two.size() << " on two";
  }
}

// A record of 24 MB, of long or of short lines, raises the display's peak
// memory by less than 16 MiB (measured in a child process), however shown.
TEST(LargeLogs, MemoryDoesNotFollowARecordsSize) {
#if defined(__SANITIZE_ADDRESS__)
  GTEST_SKIP() << "the address sanitizer keeps freed memory";
#endif
  TempDir dir;
  DisplayTemplate every_name, wide;  // and 30 MB a job from a small record
  ASSERT_TRUE(
      parse_template(dir.write("names.tpl", "%job\n+job-name\n%layout\n{}\n").c_str(), every_name));
  ASSERT_TRUE(parse_template(dir.write("w.tpl", "%job\nx\n%layout\n{30000000}\n").c_str(), wide));
  const DisplayTemplate builtin = builtin_display();
  RunSettings plain, raw, six;
  raw.raw = true;
  six.max_jobs = 6;
  const std::pair<const RunSettings*, const DisplayTemplate*> kRuns[] = {
      {&raw, &builtin}, {&plain, &builtin}, {&plain, &every_name}, {&six, &wide}};
  for (const size_t line_size : {1000, 12}) {
    const std::string path =
        dir.write("large.log", log_with_large_records(3000, 1, 24 << 20, line_size));
    for (const bool two_threads : {false, true}) {
      for (const auto& run : kRuns) {
        auto show = [&] {
          set_display_stretch(two_threads ? 3 : SIZE_MAX / 8);
          output_channel().set_stream(std::fopen("/dev/null", "w"));
          rusage before, after;
          getrusage(RUSAGE_SELF, &before);
          show_records(scan_job_logs({path.c_str()}, 0, -1).index, *run.first, *run.second);
          output_channel().flush();
          getrusage(RUSAGE_SELF, &after);
          std::_Exit(after.ru_maxrss - before.ru_maxrss < (16 << 10) ? 0 : 1);
        };
        EXPECT_EXIT(show(), ::testing::ExitedWithCode(0), "") << line_size << two_threads;
      }
    }
  }
}

}  // namespace
