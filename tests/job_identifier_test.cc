#include "render/job_identifier.h"

#include <gtest/gtest.h>

#include <string>

#include "support/case_table.h"

namespace {

std::string shown(const char* header, const char* pattern) {
  std::string out;
  apply_identifier_pattern(split_job_identifier(header), pattern, out);
  return out;
}

TEST(JobIdentifier, SplitsAndPatterns) {
  for (const auto& row : rows_of("value_cases.txt", "split", 3)) {
    const JobIdentifier split = split_job_identifier(row[0].c_str());
    EXPECT_EQ(split.number, row[1]) << testing::PrintToString(row[0]);
    EXPECT_EQ(split.prefix, row[2]) << testing::PrintToString(row[0]);
  }
  for (const auto& row : rows_of("value_cases.txt", "pattern", 3))
    EXPECT_EQ(shown(row[0].c_str(), row[1].c_str()), row[2]) << row[0] << " " << row[1];
}

}  // namespace
