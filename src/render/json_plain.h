#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string_view>

// Whether every byte of `text` stands for itself inside a JSON string: none is
// a control (below 0x20), a double quote, a backslash or a byte of 0x80 and
// above (which must be checked as UTF-8). Most names and values of a log are
// such text, and are then copied whole instead of looked at byte by byte.

// The bytes of a word that need a closer look, as the high bit of each byte;
// any set bit means the word holds one. Each test marks the bytes it finds in
// their high bit: `less than 0x20` by the borrow of subtracting 0x20 from a
// byte whose high bit was clear, `equal to c` as a byte below 1 after an
// exclusive or with c. A borrow can also mark the byte above a true mark,
// never a word that has none, so the answer "some byte" is exact whatever
// the byte order. A worked example, bytes low first, `.` for a clear mark:
//
//   word               a   "   b   0x1f 0xc3 0xa9 =   1
//   below 0x20         .   .   .   1    .    .    .   .
//   equal to '"'       .   1   .   .    .    .    .   .
//   equal to '\\'      .   .   .   .    .    .    .   .
//   0x80 and above     .   .   .   .    1    1    .   .
template <typename Word>
Word json_escape_marks(Word word) {
  constexpr Word kOnes = static_cast<Word>(~Word{0}) / 0xff;  // 0x01 in every byte
  constexpr Word kHighs = kOnes * 0x80;
  const Word quotes = word ^ (kOnes * '"');
  const Word backslashes = word ^ (kOnes * '\\');
  const Word below_space = (word - kOnes * 0x20) & ~word;
  const Word quote = (quotes - kOnes) & ~quotes;
  const Word backslash = (backslashes - kOnes) & ~backslashes;
  return (below_space | quote | backslash | word) & kHighs;
}

inline bool is_json_plain(std::string_view text) {
  const char* p = text.data();
  const size_t size = text.size();
  if (size >= 8) {
    // Eight bytes at a time, the last eight overlapping the word before.
    uint64_t marks = 0;
    for (size_t at = 0; at + 8 < size; at += 8) {
      uint64_t word;
      std::memcpy(&word, p + at, 8);
      marks |= json_escape_marks(word);
    }
    uint64_t last;
    std::memcpy(&last, p + size - 8, 8);
    return (marks | json_escape_marks(last)) == 0;
  }
  if (size >= 4) {
    uint32_t first;
    uint32_t last;
    std::memcpy(&first, p, 4);
    std::memcpy(&last, p + size - 4, 4);
    return (json_escape_marks(first) | json_escape_marks(last)) == 0;
  }
  for (size_t at = 0; at < size; ++at) {
    const auto c = static_cast<unsigned char>(p[at]);
    if (c < 0x20 || c >= 0x80 || c == '"' || c == '\\') return false;
  }
  return true;
}
