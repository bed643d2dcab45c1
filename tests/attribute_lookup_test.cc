#include "render/attribute_lookup.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/case_table.h"
#include "support/temp_dir.h"

namespace {

std::string value_of(const std::string& line) {
  std::string_view name;
  if (!attribute_name(line, name)) return "<no name>";
  return "[" + std::string(name) + "]=[" + std::string(attribute_value(line, name)) + "]";
}

TEST(CleanValue, Table) {
  for (const auto& row : rows_of("value_cases.txt", "clean", 2))
    EXPECT_EQ(clean_value(row[0]), row[1]) << testing::PrintToString(row[0]);
  for (const auto& row : rows_of("value_cases.txt", "attribute", 2))
    EXPECT_EQ(value_of(row[0]), row[1]) << testing::PrintToString(row[0]);
}

TEST(WantedNames, WholeNamesOnly) {
  WantedNames wanted;
  const int job = wanted.add("job");
  const int job_name = wanted.add("job-name");
  EXPECT_EQ(wanted.add("job"), job);
  EXPECT_EQ(wanted.find("job-name"), job_name);
  EXPECT_EQ(wanted.find("job-names"), WantedNames::kNone);
  EXPECT_EQ(wanted.find("Job"), WantedNames::kNone);
  EXPECT_EQ(wanted.find(std::string(300, 'x')), WantedNames::kNone);
}

class RecordViewTest : public ::testing::Test {
 protected:
  // Reads the record at `offset` of `content`; returns "name=value" of every kept line.
  std::vector<std::string> read(const std::string& content, int64_t offset,
                                const std::vector<std::string>& names) {
    for (const auto& name : names) wanted_.add(name);
    std::FILE* stream = std::fopen(dir_.write("log", content).c_str(), "r");
    LogFile log(stream);
    view_.read(log, offset, wanted_);
    std::fclose(stream);
    std::vector<std::string> lines;
    for (size_t i = 0; i < view_.line_count(); ++i) lines.push_back(std::string(view_.value(i)));
    return lines;
  }
  TempDir dir_;
  WantedNames wanted_;
  RecordView view_;
};

// Record ends, repeated lines, long-line pieces and NUL bytes are held to the
// reference display by the differential test; these are the edges it rarely meets.
TEST_F(RecordViewTest, NamesOfEveryLengthEndedByEachDelimiter) {
  std::string content = "j:1\n";
  std::vector<std::string> names;
  std::vector<std::string> expected;
  for (size_t length = 1; length <= 20; ++length) {
    for (const char* end : {" v", "\tv", "\n"}) {
      names.push_back(std::string(length, 'n'));
      content += "  " + std::string(length, 'n') + end + "\n";
    }
  }
  // A name that fills its piece to the last byte has no delimiter after it.
  content += " " + std::string(253, 'x');
  names.push_back(std::string(253, 'x'));
  content += "\n j:2\n";
  const auto values = read(content, 0, names);
  for (size_t length = 1; length <= 20; ++length) {
    expected.insert(expected.end(), {"v", "v", ""});
  }
  expected.push_back("");
  EXPECT_EQ(values, expected);
}

TEST_F(RecordViewTest, NamesAlikeInTheirFirstEightBytes) {
  const auto values = read("j:1\n  job-name-b 2\n  job-name-a 1\n  job-name 0\n  job-nam x\n", 0,
                           {"job-name-a", "job-name", "job-name-c"});
  EXPECT_EQ(values, (std::vector<std::string>{"1", "0"}));
}

}  // namespace
