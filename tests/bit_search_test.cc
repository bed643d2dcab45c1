// The bit tricks of the in-place reading against plain versions at their
// edges: bits 63/64, first and last words, carries, runs longer than 64.

#include "render/bit_search.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "render/name_starts.h"

TEST(BitSearch, EverySearchAgreesWithAPlainOne) {
  constexpr size_t kBits = 256;  // four words, and a fifth to spare for the quick searches
  std::vector<std::vector<uint64_t>> shapes(12, std::vector<uint64_t>(kBits / 64 + 1));
  const size_t singles[] = {0, 63, 64, 127, 128, 255};
  for (size_t i = 0; i < 6; ++i) shapes[i][singles[i] / 64] = uint64_t{1} << (singles[i] % 64);
  for (size_t w = 0; w < kBits / 64; ++w) shapes[6][w] = ~uint64_t{0};
  std::mt19937_64 random(5);
  for (size_t i = 7; i < shapes.size(); ++i) {
    for (size_t w = 0; w < kBits / 64; ++w) shapes[i][w] = random() & random() & random();
  }
  for (const auto& words : shapes) {
    const uint64_t* m = words.data();
    auto at = [m](size_t i) { return (m[i / 64] >> (i % 64) & 1) != 0; };
    for (size_t from = 0; from <= kBits; ++from) {
      for (size_t limit : {0, 1, 62, 63, 64, 65, 127, 128, 129, 191, 192, 255, 256}) {
        size_t first_set = limit, first_clear = limit, last_set = limit;
        for (size_t i = limit; i-- > from;) (at(i) ? first_set : first_clear) = i;
        for (size_t i = from; i < limit; ++i) last_set = at(i) ? i : last_set;
        const std::string range = std::to_string(from) + ".." + std::to_string(limit);
        EXPECT_EQ(first_set_bit(m, from, limit), first_set) << range;
        EXPECT_EQ(first_clear_bit(m, from, limit), first_clear) << range;
        EXPECT_EQ(last_set_bit(m, from, limit), last_set) << range;
        if (from < limit) {
          EXPECT_EQ(first_set_bit_quick(m, from, limit), first_set) << range;
          EXPECT_EQ(last_set_bit_quick(m, from, limit), last_set) << range;
        }
        uint64_t window = 0;
        for (size_t i = 0; i < 64 && from + i < kBits; ++i) window |= uint64_t{at(from + i)} << i;
        EXPECT_EQ(from < kBits ? bits_from(m, from) : window, window) << range;
      }
    }
  }
}

// Records of blanks, carriage returns, newlines and name bytes; the plain
// version walks each line's leading blanks.
TEST(NameStarts, AgreeWithAPlainWalkOverLines) {
  std::vector<std::string> records = {
      "j\n" + std::string(140, ' ') + "indented past a whole word\n",
      "j" + std::string(62, 'x') + "\r\n\ta\r\n",       // CR at bit 63, its newline at 64
      "j" + std::string(62, 'x') + "\n" + "b\n \r\n"};  // newline at bit 63: a line at 64
  std::mt19937 random(11);
  const char kBytes[] = "  \t\r\n\nab=\"";
  for (int i = 0; i < 300; ++i) {
    std::string r = "j\n";
    for (size_t size = 1 + random() % 300; r.size() < size;) r += kBytes[random() % 10];
    records.push_back(r + "\n");
  }
  for (const std::string& record : records) {
    const size_t size = record.size(), words = (size + 63) / 64;
    auto is_blank = [&](size_t i) {
      return record[i] == ' ' || record[i] == '\t' || (record[i] == '\r' && record[i + 1] == '\n');
    };
    std::vector<size_t> plain;
    for (size_t i = 1; i < size; ++i) {
      size_t j = i;
      while (record[i - 1] == '\n' && j < size && is_blank(j)) ++j;
      if (record[i - 1] == '\n' && j < size && record[j] != '\n') plain.push_back(j);
    }
    std::vector<uint64_t> m(6 * (words + 1));
    const size_t n = words + 1;
    const RecordClasses classes{&m[0], &m[n], &m[2 * n], &m[3 * n], &m[4 * n]};
    classify_record((record + std::string(64, '\0')).data(), size, size, classes);
    std::vector<uint16_t> starts(size / 2 + 8);
    const size_t count = find_name_starts(classes, size, &m[5 * n], starts.data());
    EXPECT_EQ(std::vector<size_t>(starts.begin(), starts.begin() + count), plain)
        << testing::PrintToString(record);
    for (size_t i = 0; i < size; ++i) {
      EXPECT_EQ(m[5 * n + i / 64] >> (i % 64) & 1, is_blank(i) || record[i] == '\n') << i;
    }
    EXPECT_EQ(m[5 * n + words], ~uint64_t{0});
  }
}
