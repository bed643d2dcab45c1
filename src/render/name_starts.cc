#include "render/name_starts.h"

#include "render/bit_search.h"

// One addition does the work for 64 bytes: the bit of each line start, added
// to the blanks, carries through the run of blanks that begins the line and
// comes to rest on the first byte after it. Whatever is not a delimiter there
// begins a name. A worked example, bits in the order of the bytes (position
// 0 first, so carries run to the right), N a newline, _ a blank:
//
//   record           j N _ _ a b _ c N _ N
//   newlines         . 1 . . . . . . 1 . 1
//   blanks           . . 1 1 . . 1 . . 1 .
//   line starts      . . 1 . . . . . . 1 .   the byte after each newline
//   blanks + starts  . . . . 1 . 1 . . . 1   from 2 the carry runs to 4, from 9 to 10
//   and no delimiter . . . . 1 . . . . . .   a name ("ab") begins at 4
//
// The line start after the last newline lies past the record and is dropped.
// Carries of the addition and line starts pass from one word to the next: a
// line indented by more than 64 blanks, a newline at a word's last bit.
size_t find_name_starts(const RecordClasses& classes, size_t size, uint64_t* delimiters,
                        uint16_t* starts) {
  size_t count = 0;
  const size_t words = (size + 63) / 64;
  uint64_t line_carry = 0;  // a newline at the previous word's last bit
  uint64_t run_carry = 0;   // the addition's carry out of the previous word
  for (size_t w = 0; w < words; ++w) {
    const uint64_t newlines = classes.newlines[w];
    const uint64_t next_newline = w + 1 < words ? classes.newlines[w + 1] & 1 : 0;
    const uint64_t line_ends = classes.returns[w] & (newlines >> 1 | next_newline << 63);
    const uint64_t blanks = classes.blanks[w] | line_ends;
    delimiters[w] = blanks | newlines;
    uint64_t line_starts = newlines << 1 | line_carry;
    line_carry = newlines >> 63;
    if (w == words - 1 && size % 64 != 0) line_starts &= (uint64_t{1} << (size % 64)) - 1;
    const uint64_t names = add_with_carry(blanks, line_starts, run_carry) & ~delimiters[w];
    append_set_bit_positions(names, static_cast<uint32_t>(64 * w), starts, count);
  }
  delimiters[words] = ~uint64_t{0};
  return count;
}
