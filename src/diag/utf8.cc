#include "diag/utf8.h"

namespace {

bool is_continuation(unsigned char c) { return (c & 0xc0) == 0x80; }

// The bytes a character that begins with `lead` takes, 1 when it begins none.
size_t declared_length(unsigned char lead) {
  if (lead >= 0xc2 && lead <= 0xdf) return 2;
  if (lead >= 0xe0 && lead <= 0xef) return 3;
  if (lead >= 0xf0 && lead <= 0xf4) return 4;
  return 1;
}

// The range the byte after `lead` must fall in; the bounds exclude overlong
// forms, surrogates and code points past U+10FFFF.
void second_byte_range(unsigned char lead, unsigned char& low, unsigned char& high) {
  low = 0x80;
  high = 0xbf;
  if (lead == 0xe0) low = 0xa0;
  if (lead == 0xed) high = 0x9f;
  if (lead == 0xf0) low = 0x90;
  if (lead == 0xf4) high = 0x8f;
}

}  // namespace

size_t utf8_character(std::string_view text, size_t pos, size_t* ill_formed) {
  const auto lead = static_cast<unsigned char>(text[pos]);
  if (lead < 0x80) return 1;
  const size_t length = declared_length(lead);
  size_t valid = 1;
  if (length > 1) {
    unsigned char low, high;
    second_byte_range(lead, low, high);
    for (; valid < length && pos + valid < text.size(); ++valid) {
      const auto c = static_cast<unsigned char>(text[pos + valid]);
      if (c < low || c > high) break;
      low = 0x80;
      high = 0xbf;
    }
    if (valid == length) return length;
  }
  *ill_formed = valid;
  return 0;
}

size_t utf8_cut(std::string_view text, size_t size) {
  if (size >= text.size() || !is_continuation(static_cast<unsigned char>(text[size]))) return size;
  for (size_t back = 1; back <= 3 && back <= size; ++back) {
    const auto c = static_cast<unsigned char>(text[size - back]);
    if (is_continuation(c)) continue;
    return declared_length(c) > back ? size - back : size;
  }
  return size;
}
