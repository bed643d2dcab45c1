#include "render/field_format.h"

#include <climits>

#include "diag/utf8.h"

namespace {

constexpr size_t kMaxWidthText = 253;

bool is_digit(char c) { return c >= '0' && c <= '9'; }

// Reads the digits at `pos`; false when their number passes INT_MAX.
bool read_number(std::string_view text, size_t& pos, size_t& value) {
  value = 0;
  bool fits = true;
  for (; pos < text.size() && is_digit(text[pos]); ++pos) {
    const size_t digit = static_cast<size_t>(text[pos] - '0');
    // Checked before it grows: a size_t of 32 bits (the armhf devices) would
    // wrap past INT_MAX * 10 and pass for a small number.
    if (value > (INT_MAX - digit) / 10) {
      fits = false;
      value = INT_MAX;
    } else {
      value = value * 10 + digit;
    }
  }
  return fits;
}

}  // namespace

FieldFormat::FieldFormat(std::string_view field_width) {
  if (field_width.size() > kMaxWidthText) return;
  size_t pos = 0;
  bool left = false;
  for (; pos < field_width.size() && (field_width[pos] == '-' || field_width[pos] == '0'); ++pos) {
    left = left || field_width[pos] == '-';
  }
  size_t width = 0;
  size_t precision = std::string_view::npos;
  bool fits = read_number(field_width, pos, width);
  if (pos < field_width.size() && field_width[pos] == '.') {
    ++pos;
    fits = read_number(field_width, pos, precision) && fits;
  }
  if (pos != field_width.size()) return;  // ill-formed: the value as it is
  left_ = left;
  refused_ = !fits;
  width_ = width;
  precision_ = precision;
}

FieldFormat::Placed FieldFormat::place_whole_characters(std::string_view value) const {
  if (refused_) return {};
  if (value.size() > precision_) value = value.substr(0, utf8_cut(value, precision_));
  const size_t padding = width_ > value.size() ? width_ - value.size() : 0;
  return left_ ? Placed{0, value, padding} : Placed{padding, value, 0};
}
