#include "render/job_identifier.h"

#include <gtest/gtest.h>

#include <string>

#include "support/case_table.h"

namespace {

TEST(JobIdentifier, HeaderTextsAndPatterns) {
  for (const auto& row : rows_of("value_cases.txt", "split", 3)) {
    const JobIdentifier split = split_job_identifier(row[0]);
    EXPECT_EQ(split.number, row[1]) << testing::PrintToString(row[0]);
    EXPECT_EQ(split.prefix, row[2]) << testing::PrintToString(row[0]);
  }
  for (const auto& row : rows_of("value_cases.txt", "pattern", 3)) {
    std::string shown;
    apply_identifier_pattern(split_job_identifier(row[0]), row[1], shown);
    EXPECT_EQ(shown, row[2]) << row[0] << " " << row[1];
  }
}

}  // namespace
