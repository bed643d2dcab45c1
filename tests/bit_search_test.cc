// The bit tricks of the in-place reading, each against a plain byte-by-byte
// version at the edges that break them: positions 63/64 of a word, the first
// and last word, carries into the next word, runs longer than 64.

#include "render/bit_search.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "render/name_starts.h"

namespace {

constexpr size_t kBits = 256;  // four words, and a fifth to spare for the quick searches

struct Masks {
  uint64_t words[kBits / 64 + 1] = {};
  bool at(size_t i) const { return (words[i / 64] >> (i % 64) & 1) != 0; }
};

Masks with_bits(const std::vector<size_t>& set) {
  Masks m;
  for (size_t i : set) m.words[i / 64] |= uint64_t{1} << (i % 64);
  return m;
}

TEST(BitSearch, EverySearchAgreesWithAPlainOne) {
  std::vector<Masks> shapes = {with_bits({}),   with_bits({0}),      with_bits({63}),
                               with_bits({64}), with_bits({62, 65}), with_bits({127, 128}),
                               with_bits({255})};
  Masks ones;
  for (auto& w : ones.words) w = ~uint64_t{0};
  ones.words[kBits / 64] = 0;
  shapes.push_back(ones);
  std::mt19937_64 random(5);
  for (int i = 0; i < 4; ++i) {
    Masks sparse;
    for (size_t w = 0; w < kBits / 64; ++w) sparse.words[w] = random() & random() & random();
    shapes.push_back(sparse);
  }
  const size_t edges[] = {0, 1, 62, 63, 64, 65, 126, 127, 128, 129, 191, 192, 255, 256};
  for (const Masks& m : shapes) {
    for (size_t from = 0; from <= kBits; ++from) {
      for (size_t limit : edges) {
        auto plain_first = [&](bool set) {
          for (size_t i = from; i < limit; ++i) {
            if (m.at(i) == set) return i;
          }
          return limit;
        };
        size_t last_set = limit;
        for (size_t i = from; i < limit; ++i) last_set = m.at(i) ? i : last_set;
        const size_t first_set = plain_first(true);
        const std::string at = std::to_string(from) + ".." + std::to_string(limit);
        EXPECT_EQ(first_set_bit(m.words, from, limit), first_set) << at;
        EXPECT_EQ(first_clear_bit(m.words, from, limit), plain_first(false)) << at;
        EXPECT_EQ(last_set_bit(m.words, from, limit), last_set) << at;
        if (from < limit) {
          EXPECT_EQ(first_set_bit_quick(m.words, from, limit), first_set) << at;
          EXPECT_EQ(last_set_bit_quick(m.words, from, limit), last_set) << at;
        }
        uint64_t window = 0;
        for (size_t i = 0; i < 64; ++i) {
          window |= uint64_t{m.at(from + i)} << i;
        }
        if (from < kBits) {
          EXPECT_EQ(bits_from(m.words, from), window) << at;
        }
      }
    }
  }
}

TEST(BitSearch, AdditionCarriesAndBitPositions) {
  const uint64_t kAll = ~uint64_t{0};
  const struct {
    uint64_t a, b, carry_in, sum, carry_out;
  } kSums[] = {{kAll, 1, 0, 0, 1},
               {kAll, 0, 1, 0, 1},
               {kAll, kAll, 1, kAll, 1},
               {1, 2, 1, 4, 0},
               {kAll - 1, 0, 1, kAll, 0}};
  for (const auto& s : kSums) {
    uint64_t carry = s.carry_in;
    EXPECT_EQ(add_with_carry(s.a, s.b, carry), s.sum);
    EXPECT_EQ(carry, s.carry_out);
  }
  for (const uint64_t bits : {uint64_t{0}, uint64_t{1} << 63, uint64_t{0x8000000000000001},
                              uint64_t{0xf}, uint64_t{0x1f}, kAll}) {
    std::vector<uint16_t> out(80, 7), plain = {7, 7};
    for (int i = 0; i < 64; ++i) {
      if (bits >> i & 1) plain.push_back(static_cast<uint16_t>(128 + i));
    }
    size_t count = 2;
    append_set_bit_positions(bits, 128, out.data(), count);
    ASSERT_EQ(count, plain.size());
    EXPECT_EQ(std::vector<uint16_t>(out.begin(), out.begin() + count), plain);
  }
}

// A record of blanks, carriage returns, newlines and name bytes; the plain
// version goes through each line's leading blanks.
TEST(NameStarts, AgreeWithAPlainWalkOverLines) {
  std::vector<std::string> records = {
      "j\n" + std::string(70, ' ') + "indented past a word\n",
      "j" + std::string(61, 'x') + "\r\n  a\n",        // CR at bit 62, newline at 63
      "j" + std::string(62, 'x') + "\r\n\ta\r\n",      // CR at bit 63, its newline at 64
      "j" + std::string(62, 'x') + "\n" + "b\n \r\n",  // newline at bit 63: a line at 64
      "j\n \r x\n\r\n\t\t\n=\n"};
  std::mt19937 random(11);
  const char kBytes[] = "  \t\r\n\nab=\"";
  for (int i = 0; i < 300; ++i) {
    std::string r = "j\n";
    const size_t size = 1 + random() % 300;
    while (r.size() < size) r += kBytes[random() % (sizeof kBytes - 1)];
    records.push_back(r + "\n");
  }
  for (const std::string& record : records) {
    const size_t size = record.size();
    std::vector<size_t> plain;
    auto is_blank = [&](size_t i) {
      return record[i] == ' ' || record[i] == '\t' ||
             (record[i] == '\r' && i + 1 < size && record[i + 1] == '\n');
    };
    for (size_t i = 1; i < size; ++i) {
      if (record[i - 1] != '\n') continue;
      size_t j = i;
      while (j < size && is_blank(j)) ++j;
      if (j < size && record[j] != '\n') plain.push_back(j);
    }
    const size_t words = (size + 63) / 64;
    std::vector<uint64_t> masks(6 * (words + 1));
    uint64_t* m = masks.data();
    const RecordClasses classes{m, m + (words + 1), m + 2 * (words + 1), m + 3 * (words + 1),
                                m + 4 * (words + 1)};
    std::string padded = record + std::string(64, '\0');
    classify_record(padded.data(), size, size, classes);
    std::vector<uint16_t> starts(size / 2 + 8);
    uint64_t* const delimiters = m + 5 * (words + 1);
    const size_t count = find_name_starts(classes, size, delimiters, starts.data());
    EXPECT_EQ(std::vector<size_t>(starts.begin(), starts.begin() + count), plain)
        << testing::PrintToString(record);
    for (size_t i = 0; i < size; ++i) {
      EXPECT_EQ(delimiters[i / 64] >> (i % 64) & 1, is_blank(i) || record[i] == '\n') << i;
    }
    EXPECT_EQ(delimiters[words], ~uint64_t{0});
  }
}

}  // namespace
