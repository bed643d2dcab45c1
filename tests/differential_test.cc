// The fast display against the plain reference reading of the same logs:
// every byte of output must agree, on clean logs and on damaged ones.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <random>
#include <string>
#include <vector>

#include "log_generator.h"
#include "support/reference_display.h"
#include "support/temp_dir.h"
#include "template/display_template.h"
#include "template/template_parser.h"

namespace {

// Every value kind, identifier patterns among them (an empty one, and one that
// outgrows the working text on a long header line), kinds on attributes they
// do not suit, a time format too long for the working text, a field width too
// long for it, and widths that only the C library knows how to read.
std::string every_kind_template() {
  return "! every kind of value\n"
         "%header\n"
         "Ident|Job|Owner 100% sure\n"
         "\\n\n"
         "%job\n"
         "$job-identifier \"$/#\"\n"
         "job-identifier\n"
         "$job-identifier \"\"\n"
         "$job-identifier \"job # of $, #$#\"\n"
         "+job-identifier\n"
         "user-name\n"
         "+job-state-reasons\n"
         "*submission-time \"%Y-%m-%d %H:%M:%S\"\n"
         "*completion-time\n"
         "+job-message\n"
         "job-name\n"
         "*job-printer-state-message \"" +
         std::string(300, 'x') +
         "%Y\"\n"
         "number-of-documents\n"
         "job-account-id\n"
         "no-such-attribute\n"
         "+no-such-repeated\n"
         "*no-such-time \"%d.%m.%Y\"\n"
         "$user-name \"#\"\n"
         "*job-uuid \"" +
         std::string(200, 'y') +
         "%Y\"\n"
         "*job-identifier \"%S\"\n"
         "*job-state-reasons\n"
         "$job-identifier \"$|$|#\"\n"
         "%layout\n"
         "{-12}|{}|{.0}|{--20}|{3.1}[{-10.10}]\n"
         " reasons:{-30.30};\n"
         "  sub {20} done {0-18} msg<{.12}>\n"
         "  name={" +
         std::string(260, '0') +
         "7}| long={8}\n"
         "  docs {00003} acct {-.3} none {4.2} rep {5} when {12} who {-.4} mid {30}\n"
         "{3}/{-20}/{}\n"
         "%document\n"
         "job-identifier\n"
         "$job-identifier \"#\"\n"
         "document-name\n"
         "*time-at-completed \"%H:%M\"\n"
         "+document-message\n"
         "missing-in-documents\n"
         "%layout\n"
         "  doc {8}:{-3} {-20.20}| {12}<{-40}>{6.6}\n"
         "%trailer\n"
         "== end ==\n";
}

// A job section without items: job records are passed over, and with them
// the documents, while the header still repeats.
const char kNoJobItemsTemplate[] =
    "%header\n"
    "header line\n"
    "%job\n"
    "%layout\n"
    "%document\n"
    "document-name\n"
    "%layout\n"
    "{-20}\n";

enum class Fill { kDefault, kOff, kX };

struct Case {
  const char* options;
  long start_after;
  long max_jobs;
  long job_count;
  bool raw;
  const char* template_file;  // nullptr: the built-in display
  Fill fill;
};

const Case kCases[] = {
    {"", 0, -1, 0, false, nullptr, Fill::kDefault},
    {"-R", 0, -1, 0, true, nullptr, Fill::kDefault},
    {"-t every.tpl", 0, -1, 0, false, "every.tpl", Fill::kDefault},
    {"-s 3 -m 4 -r 2", 3, 4, 2, false, nullptr, Fill::kDefault},
    {"-M '' -t every.tpl", 0, -1, 0, false, "every.tpl", Fill::kOff},
    {"-M '' -r 3", 0, -1, 3, false, nullptr, Fill::kOff},
    {"-M xyz", 0, -1, 0, false, nullptr, Fill::kX},
    {"-R -s 2 -m 3 -t every.tpl", 2, 3, 0, true, "every.tpl", Fill::kDefault},
    {"-t nojobs.tpl -r 1", 0, -1, 1, false, "nojobs.tpl", Fill::kDefault},
    {"-R -t nojobs.tpl", 0, -1, 0, true, "nojobs.tpl", Fill::kDefault},
    {"-r -2 -s -1", -1, -1, -2, false, nullptr, Fill::kDefault},
    {"-t every.tpl -r 3 -m 5 -s 1", 1, 5, 3, false, "every.tpl", Fill::kDefault},
    {"-s 1000000 -m 1", 1000000, 1, 0, false, nullptr, Fill::kDefault},
};

// Runs of a template drawn at random (random.tpl).
const Case kRandomTemplateCases[] = {
    {"-t random.tpl", 0, -1, 0, false, "random.tpl", Fill::kDefault},
    {"-M '' -t random.tpl -r 2", 0, -1, 2, false, "random.tpl", Fill::kOff},
    {"-t random.tpl -s 2 -m 3", 2, 3, 0, false, "random.tpl", Fill::kDefault},
};

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
  const std::vector<std::string> leads = {"", " ", "|", "<", " %d%s", "\\t", "  x="};
  const std::vector<std::string> ends = {"", ";", " 100%", "%n"};

  auto section = [&](const char* name, size_t count) {
    std::string items = std::string("%") + name + "\n";
    for (size_t i = 0; i < count; ++i) {
      const std::string kind = pick({"", "", "*", "+", "$"});
      items += kind + pick(names);
      if (!kind.empty() && rng() % 4 != 0) {
        items += " \"" +
                 (kind == "*"   ? pick(time_formats)
                  : kind == "$" ? pick(patterns)
                                : pick({"", " "})) +
                 "\"";
      }
      items += "\n";
    }
    items += "%layout\n";
    for (size_t i = 0; i < count;) {
      const size_t fields = std::min<size_t>(count - i, 1 + rng() % 4);
      for (size_t f = 0; f < fields; ++f) items += pick(leads) + "{" + pick(widths) + "}";
      items += pick(ends) + "\n";
      i += fields;
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

// Where two outputs first part, with the line around it, for a readable failure.
std::string first_difference(const std::string& expected, const std::string& actual) {
  size_t at = 0;
  while (at < expected.size() && at < actual.size() && expected[at] == actual[at]) ++at;
  if (at == expected.size() && at == actual.size()) return "";
  const size_t line_start = at == 0 ? std::string::npos : expected.rfind('\n', at - 1);
  const size_t from = line_start == std::string::npos ? 0 : line_start + 1;
  auto around = [&](const std::string& text) {
    std::string shown;
    for (size_t i = from; i < text.size() && i < at + 80; ++i) {
      const unsigned char c = static_cast<unsigned char>(text[i]);
      if (c == '\n') {
        shown += "\\n";
      } else if (c < 32 || c > 126) {
        char code[8];
        std::snprintf(code, sizeof code, "\\x%02x", c);
        shown += code;
      } else {
        shown += static_cast<char>(c);
      }
    }
    return shown;
  };
  return "outputs part at byte " + std::to_string(at) + " of " + std::to_string(expected.size()) +
         "/" + std::to_string(actual.size()) + "\n  reference: " + around(expected) +
         "\n  jobview:   " + around(actual);
}

class DifferentialTest : public ::testing::Test {
 protected:
  void SetUp() override {
    setenv("TZ", "UTC", 1);
    tzset();
    dir_.write("every.tpl", every_kind_template());
    dir_.write("nojobs.tpl", kNoJobItemsTemplate);
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

  DisplayTemplate template_for(const Case& c) {
    DisplayTemplate tpl = builtin_display();
    if (c.template_file) {
      // jobview parses a -t file when it meets the option and again when it
      // settles the template; the second parse starts from what the first left.
      const std::string path = dir_.path() + "/" + c.template_file;
      EXPECT_TRUE(parse_template(path.c_str(), tpl));
      EXPECT_TRUE(parse_template(path.c_str(), tpl));
    }
    if (c.fill == Fill::kOff) tpl.missing_fill.reset();
    if (c.fill == Fill::kX) tpl.missing_fill = std::string(254, 'x');
    return tpl;
  }

  // Runs every case on the logs, each compared byte for byte with the reference.
  void expect_same_display(const std::vector<LogShape>& shapes) {
    expect_same_display(shapes, kCases);
  }

  template <size_t N>
  void expect_same_display(const std::vector<LogShape>& shapes, const Case (&cases)[N]) {
    std::vector<std::string> names;
    std::vector<std::string> paths;
    for (size_t i = 0; i < shapes.size(); ++i) {
      names.push_back("log" + std::to_string(i));
      paths.push_back(dir_.write(names.back(), generate_log(shapes[i])));
    }
    for (const Case& c : cases) {
      std::string arguments = c.options;
      for (const std::string& name : names) arguments += " " + name;
      SCOPED_TRACE("jobview " + arguments);
      ReferenceRun run;
      run.logs = paths;
      run.start_after = c.start_after;
      run.max_jobs = c.max_jobs;
      run.job_count = c.job_count;
      run.raw = c.raw;
      const std::string expected = reference_display(run, template_for(c));
      int status = -1;
      const std::string actual = run_jobview(arguments, status);
      EXPECT_EQ(status, 0);
      const std::string difference = first_difference(expected, actual);
      if (!difference.empty()) ADD_FAILURE() << difference;
    }
  }

  static LogShape shape(uint64_t seed) {
    LogShape s;
    s.seed = seed;
    s.size = 12000;
    return s;
  }

  TempDir dir_;
};

TEST_F(DifferentialTest, CleanLog) { expect_same_display({shape(1)}); }

TEST_F(DifferentialTest, LongLines) {
  for (uint64_t seed : {2, 3, 4}) {
    LogShape s = shape(seed);
    s.long_lines = true;
    expect_same_display({s});
  }
}

TEST_F(DifferentialTest, BlankLinesInBodies) {
  LogShape s = shape(5);
  s.blank_lines = true;
  expect_same_display({s});
}

TEST_F(DifferentialTest, CrlfLineEnds) {
  LogShape s = shape(6);
  s.crlf = true;
  expect_same_display({s});
}

TEST_F(DifferentialTest, LastLineWithoutNewline) {
  for (uint64_t seed : {7, 8}) {
    LogShape s = shape(seed);
    s.no_final_newline = true;
    s.trailing_documents = seed == 8;
    expect_same_display({s});
  }
}

TEST_F(DifferentialTest, NulBytes) {
  LogShape s = shape(9);
  s.nul_bytes = true;
  expect_same_display({s});
}

TEST_F(DifferentialTest, DocumentsAfterTheLastJob) {
  LogShape s = shape(10);
  s.trailing_documents = s.bare_log_number = true;
  expect_same_display({s});
}

TEST_F(DifferentialTest, NearMissAttributeLines) {
  LogShape s = shape(11);
  s.odd_lines = true;
  expect_same_display({s});
}

TEST_F(DifferentialTest, EveryDamageAtOnce) {
  for (uint64_t seed : {12, 13, 14}) {
    LogShape s = shape(seed);
    s.long_lines = s.blank_lines = s.crlf = s.no_final_newline = true;
    s.nul_bytes = s.trailing_documents = s.odd_lines = s.bare_log_number = true;
    expect_same_display({s});
  }
}

TEST_F(DifferentialTest, TwoLogs) {
  LogShape first = shape(15);
  first.size = 6000;
  first.trailing_documents = first.bare_log_number = true;
  LogShape second = shape(16);
  second.log_number = 2;
  second.long_lines = second.blank_lines = true;
  expect_same_display({first, second});
}

TEST_F(DifferentialTest, RandomTemplates) {
  LogShape s = shape(17);
  s.long_lines = s.blank_lines = s.trailing_documents = true;
  for (uint64_t seed = 1; seed <= 8; ++seed) {
    SCOPED_TRACE("random template " + std::to_string(seed));
    dir_.write("random.tpl", random_template(seed));
    expect_same_display({s}, kRandomTemplateCases);
  }
}

}  // namespace
