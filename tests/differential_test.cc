// The fast display against the plain reference reading of the same logs:
// every byte of output must agree, on clean logs and on damaged ones.
#include <gtest/gtest.h>

#include <algorithm>
#include <cinttypes>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <random>
#include <string>
#include <vector>

#include "log_generator.h"
#include "support/case_table.h"
#include "support/reference_display.h"
#include "support/temp_dir.h"
#include "template/template_parser.h"

namespace {

const std::string kData = std::string(JOBVIEW_SOURCE_DIR) + "/tests/data/";

const char kRuns[] = "differential_runs.txt";

// A log as "seed damage size log-number" (see differential_runs.txt).
LogShape shape(const std::string& text) {
  LogShape s;
  s.size = 12000;
  char damage[16] = "";
  std::sscanf(text.c_str(), "%" SCNu64 " %15s %" SCNu64 " %ld", &s.seed, damage, &s.size,
              &s.log_number);
  const char letters[] = "LBCNZTOb";
  bool* const flags[] = {&s.long_lines, &s.blank_lines,        &s.crlf,      &s.no_final_newline,
                         &s.nul_bytes,  &s.trailing_documents, &s.odd_lines, &s.bare_log_number};
  for (const char* d = damage; *d; ++d)
    if (const char* at = std::strchr(letters, *d)) *flags[at - letters] = true;
  return s;
}

// A display template drawn at random: any kind on any attribute, formats and
// identifier patterns of every sort, widths the C library reads in its own
// way, percent signs and tabs in the texts, one to four fields a line.
std::string random_template(uint64_t seed) {
  std::mt19937_64 rng(seed);
  auto pick = [&](const std::vector<std::string>& list) { return list[rng() % list.size()]; };
  const std::vector<std::string> names = {
      "job-identifier",    "job-identifier",    "user-name",
      "job-state-reasons", "job-name",          "submission-time",
      "completion-time",   "job-message",       "number-of-documents",
      "document-name",     "time-at-completed", "document-message",
      "absent-one",        "job-account-id"};
  const std::vector<std::string> time_formats = {
      "", "%Y-%m-%d", "%H:%M:%S %%", "%c", "%s", "%j %a", "%e|%p", std::string(260, 'y') + "%Y"};
  const std::vector<std::string> patterns = {"", "#", "$", "$:#", "[$] #/#", "##########", "$-$-$"};
  const std::vector<std::string> widths = {"",      "5",  "-5", ".3",  "-8.2",  "0",
                                           "00012", "-0", "3.", "-.0", "12.12", "-30"};
  auto section = [&](const char* name, size_t count) {
    std::string items = std::string("%") + name + "\n";
    for (size_t i = 0; i < count; ++i) {
      const std::string kind = pick({"", "", "*", "+", "$"});
      items += kind + pick(names);
      if (!kind.empty() && rng() % 4 != 0) {
        const std::string format = kind == "*"   ? pick(time_formats)
                                   : kind == "$" ? pick(patterns)
                                                 : pick({"", " "});
        items += " \"" + format + "\"";
      }
      items += "\n";
    }
    items += "%layout\n";
    for (size_t i = 0; i < count; ++i) {
      items += pick({"", " ", "|", "<", " %d%s", "\\t", "  x="}) + "{" + pick(widths) + "}";
      if (i + 1 == count || rng() % 3 == 0) items += pick({"", ";", " 100%", "%n"}) + "\n";
    }
    return items;
  };
  std::string text = "%header\n";
  for (uint64_t lines = rng() % 3; lines > 0; --lines)
    text += pick({"head%s 100%\n", "\\tcols\n", "--\n"});
  text += section("job", rng() % 6 == 0 ? 0 : 1 + rng() % 8);
  if (rng() % 2) text += section("document", rng() % 4);
  if (rng() % 2) text += "%trailer\n" + pick({"end %s\n", "done\n"});
  return text;
}

// Where two outputs first part, for a readable failure.
std::string first_difference(const std::string& expected, const std::string& actual) {
  size_t at = 0;
  while (at < expected.size() && at < actual.size() && expected[at] == actual[at]) ++at;
  if (at == expected.size() && at == actual.size()) return "";
  const size_t from = at < 40 ? 0 : at - 40;
  return "outputs part at byte " + std::to_string(at) +
         "\n  reference: " + testing::PrintToString(expected.substr(from, 120)) +
         "\n  jobview:   " + testing::PrintToString(actual.substr(from, 120));
}

class DifferentialTest : public ::testing::Test {
 protected:
  void SetUp() override {
    setenv("TZ", "UTC", 1);
    tzset();
    for (const char* name : {"every_kind.tpl", "no_job_items.tpl"})
      dir_.write(name, read_file(kData + name));
  }

  // jobview's standard output, run in the scratch directory as a user would.
  std::string run_jobview(const std::string& arguments, int& status) {
    const std::string command = "cd '" + dir_.path() +
                                "' && env -u JLOG_TEMPLATE -u SESSPATH TZ=UTC LC_ALL=C " +
                                "JOBVIEW_LOCK_DIR='" + dir_.path() + "' '" + JOBVIEW_BINARY + "' " +
                                arguments + " 2>/dev/null";
    std::string output;
    std::FILE* pipe = popen(command.c_str(), "r");
    if (!pipe) return output;
    char buffer[65536];
    size_t got;
    while ((got = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) output.append(buffer, got);
    status = pclose(pipe);
    return output;
  }

  // The reference's settings and template for an option set.
  void settings_for(const std::string& options, ReferenceRun& run, DisplayTemplate& tpl) {
    tpl = builtin_display();
    std::vector<std::string> words;
    for (size_t at = 0; at < options.size();) {
      const size_t end = std::min(options.find(' ', at), options.size());
      words.push_back(options.substr(at, end - at));
      at = end + 1;
    }
    for (size_t i = 0; i < words.size(); ++i) {
      const std::string& option = words[i];
      const std::string value = i + 1 < words.size() ? words[i + 1] : "";
      if (option == "-R") run.raw = true;
      if (option == "-s") run.start_after = std::atol(value.c_str());
      if (option == "-m") run.max_jobs = std::atol(value.c_str());
      if (option == "-r") run.job_count = std::atol(value.c_str());
      if (option == "-M") tpl.missing_fill.reset();
      if (option == "-M" && value != "''") tpl.missing_fill = std::string(254, value[0]);
      if (option == "-t") {
        // jobview parses a -t file when it meets the option and again when it
        // settles the template; the second parse starts from what the first left.
        const std::string path = dir_.path() + "/" + value;
        EXPECT_TRUE(parse_template(path.c_str(), tpl));
        EXPECT_TRUE(parse_template(path.c_str(), tpl));
      }
    }
  }

  // Runs every option set on the logs, each compared byte for byte with the reference.
  void expect_same_display(const std::vector<LogShape>& shapes,
                           const std::vector<std::vector<std::string>>& sets) {
    std::string names;
    ReferenceRun base;
    for (size_t i = 0; i < shapes.size(); ++i) {
      base.logs.push_back(dir_.write("log" + std::to_string(i), generate_log(shapes[i])));
      names += " log" + std::to_string(i);
    }
    for (const auto& set : sets) {
      const std::string& options = set[0];
      SCOPED_TRACE("jobview " + options + names);
      ReferenceRun run = base;
      DisplayTemplate tpl;
      settings_for(options, run, tpl);
      int status = -1;
      const std::string actual = run_jobview(options + names, status);
      EXPECT_EQ(status, 0);
      const std::string difference = first_difference(reference_display(run, tpl), actual);
      if (!difference.empty()) ADD_FAILURE() << difference;
    }
  }

  TempDir dir_;
};

TEST_F(DifferentialTest, LogShapes) {
  const auto options = rows_of(kRuns, "options", 1);
  for (const auto& logs : rows_of(kRuns, "logs", 1)) {
    SCOPED_TRACE("logs " + logs[0]);
    std::vector<LogShape> shapes;
    for (const std::string& log : logs) shapes.push_back(shape(log));
    expect_same_display(shapes, options);
  }
}

TEST_F(DifferentialTest, RandomTemplates) {
  const auto options = rows_of(kRuns, "random", 1);
  for (uint64_t seed = 1; seed <= 8; ++seed) {
    SCOPED_TRACE("random template " + std::to_string(seed));
    dir_.write("random.tpl", random_template(seed));
    expect_same_display({shape("17 LBT")}, options);
  }
}

}  // namespace
