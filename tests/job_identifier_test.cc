#include "render/job_identifier.h"

#include <gtest/gtest.h>

#include <string>

namespace {

std::string shown(const char* header, const char* pattern) {
  std::string out;
  apply_identifier_pattern(split_job_identifier(header), pattern, out);
  return out;
}

TEST(JobIdentifier, SplitsAtTheLastCharacterOutsideTheNumber) {
  EXPECT_EQ(split_job_identifier("abc:42").number, "42");
  EXPECT_EQ(split_job_identifier("abc:42").prefix, "abc");
  EXPECT_EQ(split_job_identifier("abc:42.1").number, "42.1");
  EXPECT_EQ(split_job_identifier("a:b:7").prefix, "a:b");
  EXPECT_EQ(split_job_identifier("abc:").number, "");
  EXPECT_EQ(split_job_identifier("abc:42\r").number, "");  // a carriage return is the split
  EXPECT_EQ(split_job_identifier("abc:42\r").prefix, "abc:42");
  // Nothing to split at: all of it is the number.
  EXPECT_EQ(split_job_identifier("12.5").number, "12.5");
  EXPECT_EQ(split_job_identifier("12.5").prefix, "");
  EXPECT_EQ(split_job_identifier("").number, "");
}

TEST(JobIdentifier, Patterns) {
  EXPECT_EQ(shown("abc:42", "$:#"), "abc:42");
  EXPECT_EQ(shown("abc:42", "#"), "42");
  EXPECT_EQ(shown("abc:42", "$"), "abc");
  EXPECT_EQ(shown("abc:42", "job # of $"), "job 42 of abc");
  EXPECT_EQ(shown("abc:42", ""), "");
  EXPECT_EQ(shown("abc:42", "%s%n"), "%s%n");
}

TEST(JobIdentifier, ValueIsCutAt255Characters) {
  const std::string prefix(200, 'p');
  const std::string header = prefix + ":1";
  EXPECT_EQ(shown(header.c_str(), "$$"), std::string(255, 'p'));
  EXPECT_EQ(shown(header.c_str(), std::string(300, 'x').c_str()), std::string(255, 'x'));
}

}  // namespace
