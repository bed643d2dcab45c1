// The generator feeds the benchmark and the differential test: the awk peer is
// exact only on its default logs, and the damaged shapes must hold the damage
// they promise.
#include "log_generator.h"

#include <gtest/gtest.h>

#include <string>

namespace {

LogShape small(uint64_t seed) {
  LogShape shape;
  shape.seed = seed;
  shape.size = 40000;
  return shape;
}

size_t longest_line(const std::string& log) {
  size_t longest = 0, start = 0;
  for (size_t end; (end = log.find('\n', start)) != std::string::npos; start = end + 1) {
    longest = std::max(longest, end + 1 - start);
  }
  return std::max(longest, log.size() - start);
}

TEST(LogGeneratorTest, SameSeedSameLog) {
  EXPECT_EQ(generate_log(small(3)), generate_log(small(3)));
  EXPECT_NE(generate_log(small(3)), generate_log(small(4)));
}

TEST(LogGeneratorTest, DefaultLogReadsOneLineAtATime) {
  for (uint64_t seed = 1; seed <= 20; ++seed) {
    const std::string log = generate_log(small(seed));
    ASSERT_EQ(log.compare(0, 17, " Job Log created "), 0);
    EXPECT_LE(longest_line(log), 254u) << "seed " << seed;
    EXPECT_EQ(log.back(), '\n');
    EXPECT_EQ(log.find('\0'), std::string::npos);
    EXPECT_EQ(log.find('\r'), std::string::npos);
    EXPECT_EQ(log.find("\n\n"), std::string::npos);
    EXPECT_GE(log.size(), 40000u);
  }
}

TEST(LogGeneratorTest, DamagedShapes) {
  LogShape shape = small(5);
  shape.long_lines = shape.blank_lines = shape.crlf = shape.no_final_newline = shape.nul_bytes =
      true;
  const std::string log = generate_log(shape);
  EXPECT_GT(longest_line(log), 254u);
  EXPECT_NE(log.find("\r\n\r\n"), std::string::npos);
  EXPECT_NE(log.find('\0'), std::string::npos);
  EXPECT_EQ(log.back(), '\r');
  size_t bare_newlines = 0;
  for (size_t i = 0; i < log.size(); ++i)
    bare_newlines += log[i] == '\n' && (i == 0 || log[i - 1] != '\r');
  EXPECT_EQ(bare_newlines, 0u);
}

TEST(LogGeneratorTest, CountsMatchTheText) {
  LogShape shape = small(6);
  shape.bare_log_number = true;
  LogGenerator generator(shape);
  std::string log;
  while (generator.next(log)) {
  }
  const LogCounts& counts = generator.counts();
  EXPECT_EQ(counts.bytes, log.size());
  size_t headers = 0;
  for (size_t start = log.find('\n') + 1; start < log.size(); start = log.find('\n', start) + 1) {
    headers += log[start] != ' ' && log[start] != '\t';
  }
  EXPECT_EQ(counts.header_lines, headers);
  EXPECT_EQ(counts.jobs + counts.documents + 1, headers);  // the bare log number line
}

}  // namespace
