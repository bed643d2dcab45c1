#include "driver/command_line.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

struct Parsed {
  bool proceed;
  RunSettings settings;
  DisplayTemplate tpl;
};

// Runs the command line `args` (program name first) against fresh settings.
Parsed parse(std::vector<std::string> args) {
  std::vector<char*> argv;
  for (std::string& arg : args) argv.push_back(arg.data());
  argv.push_back(nullptr);
  Parsed parsed{false, {}, {}};
  parsed.proceed =
      parse_command_line(static_cast<int>(args.size()), argv.data(), parsed.settings, parsed.tpl);
  parsed.settings.logs.clear();  // they point into `args`
  parsed.settings.program_name = "";
  return parsed;
}

class CommandLine : public ::testing::Test {
 protected:
  void SetUp() override { unsetenv("JLOG_TEMPLATE"); }
  void TearDown() override { unsetenv("JLOG_TEMPLATE"); }
};

TEST_F(CommandLine, ZeroLimitsChangeNothing) {
  const Parsed parsed = parse({"jobview", "-m", "3", "-m", "0", "-l", "0", "-l", "abc", "log"});
  EXPECT_TRUE(parsed.proceed);
  EXPECT_EQ(parsed.settings.max_jobs, 3);
  EXPECT_EQ(parsed.settings.display_lines, 25);
}

TEST_F(CommandLine, DisplayLinesBeyondIntRangeAreClamped) {
  EXPECT_EQ(parse({"jobview", "-l", "99999999999", "log"}).settings.display_lines, INT_MAX);
  EXPECT_EQ(parse({"jobview", "-l", "-99999999999", "log"}).settings.display_lines, INT_MIN);
  EXPECT_EQ(parse({"jobview", "-l", "40x", "log"}).settings.display_lines, 40);
}

TEST_F(CommandLine, CountsTakeZeroNegativeAndExtremeValues) {
  const Parsed parsed = parse({"jobview", "-r", "-2", "-s", "-7", "-m", "-1", "log"});
  EXPECT_EQ(parsed.settings.job_count, -2);
  EXPECT_EQ(parsed.settings.start_after, -7);
  EXPECT_EQ(parsed.settings.max_jobs, -1);
  EXPECT_EQ(parse({"jobview", "-r", "5", "-r", "0", "log"}).settings.job_count, 0);
  EXPECT_EQ(parse({"jobview", "-s", "99999999999999999999", "log"}).settings.start_after, LONG_MAX);
}

TEST_F(CommandLine, FillRepeatsTheFirstCharacterAndEmptyFillOmits) {
  EXPECT_EQ(parse({"jobview", "-M", "xyz", "log"}).tpl.missing_fill, std::string(254, 'x'));
  EXPECT_EQ(parse({"jobview", "-M", "\xe9", "log"}).tpl.missing_fill, std::string(254, '\xe9'));
  EXPECT_FALSE(parse({"jobview", "-M", "", "log"}).tpl.missing_fill.has_value());
}

TEST_F(CommandLine, EmptyTemplateVariableCountsAsSet) {
  setenv("JLOG_TEMPLATE", "", 1);
  const Parsed parsed = parse({"jobview", "log"});
  ASSERT_NE(parsed.settings.template_name, nullptr);
  EXPECT_STREQ(parsed.settings.template_name, "");
}

TEST_F(CommandLine, LogNamesInOrderAfterOptions) {
  std::vector<std::string> args{"/usr/bin/jobview", "-S", "a", "b"};
  std::vector<char*> argv;
  for (std::string& arg : args) argv.push_back(arg.data());
  RunSettings settings;
  DisplayTemplate tpl;
  ASSERT_TRUE(parse_command_line(4, argv.data(), settings, tpl));
  EXPECT_STREQ(settings.program_name, "jobview");
  ASSERT_EQ(settings.logs.size(), 2u);
  EXPECT_STREQ(settings.logs[0], "a");
  EXPECT_STREQ(settings.logs[1], "b");
}

}  // namespace
