// A large log is scanned in two halves and displayed in stretches by two
// threads. Here the sizes at which that begins are made small, and every
// display of generated logs, clean and damaged, must come out byte for byte
// as it does on one thread: headers repeated across stretches, a job limit
// that ends inside one, a stretch too large to gather, raw records, two logs.

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <string>
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

  DisplayTemplate wide;  // 600 KB a job: a stretch of three passes what may be gathered
  ASSERT_TRUE(parse_template(dir.write("wide.tpl",
                                       "%header\nwide\n%job\njob-identifier\nuser-name\n"
                                       "%layout\n{5}{600000}\n%trailer\nend\n")
                                 .c_str(),
                             wide));
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

}  // namespace
