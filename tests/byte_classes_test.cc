// Every byte of a log passes through the two searches, written once for each
// vector level. Each level the processor has must find what a byte-by-byte
// reading finds, on random bytes rich in the characters that matter, at every
// alignment, at the ends of a block and when the batch of header starts fills.

#include "joblog/byte_classes.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <string>
#include <vector>

namespace {

bool is_white(char c) { return c == ' ' || (c >= '\t' && c <= '\r'); }

std::string random_bytes(std::mt19937& random, size_t size) {
  static const char kAlphabet[] = "\n\n\n  \t\r\v=\"\"a\0\xff";
  std::string bytes(size, 'x');
  for (char& c : bytes) c = kAlphabet[random() % (sizeof kAlphabet - 1)];
  return bytes;
}

// The header starts and NUL note of [from, to), batch by batch, as the scan
// asks for them.
std::string header_starts(const std::string& bytes, size_t from, size_t to) {
  std::string found;
  HeaderSearch search;
  bool nul = false;
  for (size_t p = from; p < to; p = search.stop) {
    find_header_starts(bytes.data(), p, to, search);
    EXPECT_GT(search.stop, p);
    EXPECT_LE(search.stop, to);
    nul = nul || search.nul;
    for (size_t i = 0; i < search.count; ++i) found += std::to_string(search.starts[i]) + ' ';
  }
  return found + (nul ? "NUL" : "");
}

std::string expected_header_starts(const std::string& bytes, size_t from, size_t to) {
  std::string found;
  bool nul = false;
  for (size_t p = from; p < to; ++p) {
    if (bytes[p - 1] == '\n' && !is_white(bytes[p])) found += std::to_string(p) + ' ';
    nul = nul || bytes[p] == '\0';
  }
  return found + (nul ? "NUL" : "");
}

std::string classes(const std::string& bytes, size_t size) {
  const size_t words = (size + 63) / 64;
  std::vector<uint64_t> masks(5 * words + 1, 0x5a5a5a5a5a5a5a5a);  // the last word is a guard
  const RecordClasses out{&masks[0], &masks[words], &masks[2 * words], &masks[3 * words],
                          &masks[4 * words]};
  classify_record(bytes.data(), size, bytes.size(), out);
  std::string all;
  for (uint64_t mask : masks) all += std::to_string(mask) + ' ';
  return all;
}

std::string expected_classes(const std::string& bytes, size_t size) {
  const size_t words = (size + 63) / 64;
  std::vector<uint64_t> masks(5 * words + 1, 0);
  masks.back() = 0x5a5a5a5a5a5a5a5a;
  for (size_t p = 0; p < size; ++p) {
    const char c = bytes[p];
    const bool in[5] = {c == '\n', c == ' ' || c == '\t', c == ' ' || c == '=', c == '"',
                        c == '\r'};
    for (size_t k = 0; k < 5; ++k) masks[k * words + p / 64] |= uint64_t{in[k]} << (p % 64);
  }
  std::string all;
  for (uint64_t mask : masks) all += std::to_string(mask) + ' ';
  return all;
}

class EveryVectorLevel : public testing::TestWithParam<VectorLevel> {
 protected:
  void SetUp() override {
    if (use_vector_level(GetParam()) != GetParam()) GTEST_SKIP() << "not on this processor";
  }
  void TearDown() override { use_vector_level(best_vector_level()); }
};

TEST_P(EveryVectorLevel, HeaderStartsOfRandomStretches) {
  std::mt19937 random(1);
  for (int round = 0; round < 3000; ++round) {
    const std::string bytes = random_bytes(random, 1 + random() % 400);
    const size_t from = 1 + random() % bytes.size();
    const size_t to = from + random() % (bytes.size() - from + 1);
    ASSERT_EQ(header_starts(bytes, from, to), expected_header_starts(bytes, from, to))
        << "from " << from << " to " << to;
  }
}

TEST_P(EveryVectorLevel, HeaderStartsFillingTheBatch) {
  // A header at every other byte: a batch fills in 2 KiB, inside a block.
  std::string bytes;
  for (int i = 0; i < 5000; ++i) bytes += i % 97 == 0 ? " \n" : "q\n";
  bytes[3001] = '\0';
  for (size_t from : {size_t{1}, size_t{2}, size_t{63}})
    EXPECT_EQ(header_starts(bytes, from, bytes.size()),
              expected_header_starts(bytes, from, bytes.size()));
}

TEST_P(EveryVectorLevel, ClassesOfRecordsOfEverySize) {
  std::mt19937 random(2);
  for (size_t size = 0; size < 300; ++size) {
    // Readable bytes past the record are not its own: their bits stay clear.
    std::string bytes = random_bytes(random, size + random() % 80);
    ASSERT_EQ(classes(bytes, size), expected_classes(bytes, size)) << size;
  }
}

std::string level_name(const testing::TestParamInfo<VectorLevel>& level) {
  static const char* const kNames[] = {"Plain", "Sse2", "Avx2"};
  return kNames[static_cast<int>(level.param)];
}

INSTANTIATE_TEST_SUITE_P(, EveryVectorLevel,
                         testing::Values(VectorLevel::kPlain, VectorLevel::kSse2,
                                         VectorLevel::kAvx2),
                         level_name);

}  // namespace
