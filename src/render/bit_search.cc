#include "render/bit_search.h"

// Out of line: the quick searches and the lines they cannot settle call these.

// The first position in [from, limit) whose bit is set; `limit` when none.
size_t first_set_bit(const uint64_t* masks, size_t from, size_t limit) {
  if (from >= limit) return limit;
  size_t word = from / 64;
  uint64_t bits = masks[word] & (~uint64_t{0} << (from % 64));
  while (bits == 0) {
    if (++word * 64 >= limit) return limit;
    bits = masks[word];
  }
  const size_t found = word * 64 + static_cast<size_t>(__builtin_ctzll(bits));
  return found < limit ? found : limit;
}

// The first position in [from, limit) whose bit is clear; `limit` when none.
size_t first_clear_bit(const uint64_t* masks, size_t from, size_t limit) {
  if (from >= limit) return limit;
  size_t word = from / 64;
  uint64_t bits = ~masks[word] & (~uint64_t{0} << (from % 64));
  while (bits == 0) {
    if (++word * 64 >= limit) return limit;
    bits = ~masks[word];
  }
  const size_t found = word * 64 + static_cast<size_t>(__builtin_ctzll(bits));
  return found < limit ? found : limit;
}

// The last position in [from, before) whose bit is set; `before` when none.
size_t last_set_bit(const uint64_t* masks, size_t from, size_t before) {
  if (from >= before) return before;
  size_t word = (before - 1) / 64;
  uint64_t bits = masks[word] & (~uint64_t{0} >> (63 - (before - 1) % 64));
  while (bits == 0) {
    if (word * 64 <= from) return before;
    bits = masks[--word];
  }
  const size_t found = word * 64 + 63 - static_cast<size_t>(__builtin_clzll(bits));
  return found >= from ? found : before;
}
