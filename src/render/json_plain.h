#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string_view>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

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

// Eight bytes as a word whose lowest byte is the first in memory, whatever
// the machine's byte order: a borrow then runs from a byte into the ones
// after it, never into the ones before.
inline uint64_t load_little_endian(const char* bytes) {
  uint64_t word;
  std::memcpy(&word, bytes, 8);
#if defined(__BYTE_ORDER__) && __BYTE_ORDER__ == __ORDER_BIG_ENDIAN__
  word = __builtin_bswap64(word);
#endif
  return word;
}

// is_json_plain for a text of up to 32 bytes (most names and values)
// followed by at least 32 readable bytes, whatever they hold: it is looked at
// as four words, each masked to the text's bytes, without a branch on its size.
// A borrow from a byte of the text can mark only bytes after it. For a text
// of 11 bytes, the second word keeps its three lowest bytes:
//
//   word 2, bytes   t8  t9  t10 x   x   x   x   x
//   mask            ff  ff  ff  00  00  00  00  00   (0x0000000000ffffff)
inline bool is_json_plain_padded_words(const char* text, size_t size) {
  uint64_t marks = 0;
  for (size_t word_start = 0; word_start < 32; word_start += 8) {
    const size_t in_word = size > word_start ? size - word_start : 0;
    const size_t shift = 32 - 4 * (in_word < 8 ? in_word : 8);  // two of half the distance
    marks |=
        json_escape_marks(load_little_endian(text + word_start)) & ~uint64_t{0} >> shift >> shift;
  }
  return marks == 0;
}

#if defined(__SSE2__)
// is_json_plain_padded with two 16-byte compares (every x86-64 processor has
// them): a byte is marked when it is below 0x20 compared as signed, which
// takes in 0x80 and above, or equal to '"' or '\\'; the marks become one bit a
// byte, of which the text's own are kept. For a text of 3 bytes, `a"b`:
//
//   bytes        a   "   b   x   ...
//   marks        0   1   0   ?   ...   (bit i for byte i)
//   kept         the 3 lowest bits: 0b010, so not plain
inline bool is_json_plain_padded_sse2(const char* text, size_t size) {
  const auto marks = [](const char* at) {
    const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(at));
    const __m128i marked = _mm_or_si128(_mm_cmplt_epi8(bytes, _mm_set1_epi8(0x20)),
                                        _mm_or_si128(_mm_cmpeq_epi8(bytes, _mm_set1_epi8('"')),
                                                     _mm_cmpeq_epi8(bytes, _mm_set1_epi8('\\'))));
    return static_cast<uint32_t>(_mm_movemask_epi8(marked));
  };
  const uint64_t all = marks(text) | uint64_t{marks(text + 16)} << 16;
  return (all & ((uint64_t{1} << size) - 1)) == 0;
}
#endif

// The padded check this machine does best; a text longer than 32 bytes is
// looked at eight bytes at a time.
inline bool is_json_plain_padded(const char* text, size_t size) {
  if (size > 32) return is_json_plain(std::string_view(text, size));
#if defined(__SSE2__)
  return is_json_plain_padded_sse2(text, size);
#else
  return is_json_plain_padded_words(text, size);
#endif
}
