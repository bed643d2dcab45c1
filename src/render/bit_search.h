#pragma once

#include <cstddef>
#include <cstdint>

// Searches in bit masks of a record's bytes: the bit of position i is bit
// i % 64 of word i / 64. Each search looks at positions in a range and gives
// the range's end when no bit there answers. The plain searches read only the
// words that hold positions of their range; the quick ones read a whole
// 64-bit window and need the word after the one they start in to be readable
// (the masks of a record keep a word to spare past its last).

// The first position in [from, limit) whose bit is set; `limit` when none.
size_t first_set_bit(const uint64_t* masks, size_t from, size_t limit);
// The first position in [from, limit) whose bit is clear; `limit` when none.
size_t first_clear_bit(const uint64_t* masks, size_t from, size_t limit);
// The last position in [from, before) whose bit is set; `before` when none.
size_t last_set_bit(const uint64_t* masks, size_t from, size_t before);

// The 64 bits of the positions from `at` on, the bit of `at` lowest. Reads the
// word holding `at` and the one after it.
inline uint64_t bits_from(const uint64_t* masks, size_t at) {
  const size_t word = at / 64;
  const size_t shift = at % 64;
  // Shifted in two steps: a shift by 64 (when `at` begins a word) is undefined.
  return masks[word] >> shift | masks[word + 1] << 1 << (63 - shift);
}

// first_set_bit, looking first at the 63 positions from `from` (where the
// answer, or `limit`, lies for most lines of a log) without a branch on what
// it finds there. Reads the word after the one holding `from`.
inline size_t first_set_bit_quick(const uint64_t* masks, size_t from, size_t limit) {
  // Bit 63 stands in for "not within 63": then the plain search decides.
  const size_t found =
      from + static_cast<size_t>(__builtin_ctzll(bits_from(masks, from) | uint64_t{1} << 63));
  // (Conditions joined by '&', not '&&': each half alone is unpredictable.)
  if ((found - from == 63) & (limit - from > 63)) return first_set_bit(masks, from, limit);
  return found < limit ? found : limit;
}

// last_set_bit the same way, looking first at the 64 positions before
// `before`, which must be above 0. Reads the word after the one holding
// `before - 64` (or 0).
inline size_t last_set_bit_quick(const uint64_t* masks, size_t from, size_t before) {
  if ((from < before) & (before - from > 64)) return last_set_bit(masks, from, before);
  const size_t start = before >= 64 ? before - 64 : 0;
  const uint64_t bits = bits_from(masks, start) & (~uint64_t{0} >> (64 - (before - start)));
  const size_t found = start + 63 - static_cast<size_t>(__builtin_clzll(bits | 1));
  return (bits != 0) & (found >= from) ? found : before;
}

// a + b + carry (0 or 1), and the carry out.
inline uint64_t add_with_carry(uint64_t a, uint64_t b, uint64_t& carry) {
  uint64_t sum;
  const bool first = __builtin_add_overflow(a, b, &sum);
  const bool second = __builtin_add_overflow(sum, carry, &sum);
  carry = first || second;
  return sum;
}

// Appends base + the position of each set bit of `bits`, lowest first, at
// out[count] on. The first four places are written whatever the number of
// bits (without a branch on it), so `out` needs four places to spare.
inline void append_set_bit_positions(uint64_t bits, uint32_t base, uint16_t* out, size_t& count) {
  uint16_t* at = out + count;
  for (int i = 0; i < 4; ++i) {
    at[i] = static_cast<uint16_t>(base + __builtin_ctzll(bits | uint64_t{1} << 63));
    count += bits != 0;
    bits &= bits - 1;
  }
  for (; bits != 0; bits &= bits - 1) {
    out[count++] = static_cast<uint16_t>(base + __builtin_ctzll(bits));
  }
}
