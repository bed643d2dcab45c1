#include "render/field_format.h"

#include <cctype>

namespace {

// The conversion "%" + width + "s" must fit the display's 256-byte working
// text; a longer width text is ignored rather than cut into another format.
constexpr size_t kMaxWidthText = 253;
// Larger numbers go to the C library, which knows its own limits.
constexpr size_t kMaxFastDigits = 6;

bool read_number(std::string_view text, size_t& pos, size_t& value) {
  const size_t start = pos;
  value = 0;
  while (pos < text.size() && std::isdigit(static_cast<unsigned char>(text[pos]))) {
    value = value * 10 + static_cast<size_t>(text[pos] - '0');
    ++pos;
  }
  return pos - start <= kMaxFastDigits;
}

}  // namespace

FieldFormat::FieldFormat(std::string_view field_width) {
  if (field_width.size() > kMaxWidthText) field_width = {};
  size_t pos = 0;
  if (pos < field_width.size() && field_width[pos] == '-') {
    left_ = true;
    ++pos;
  }
  // A leading zero is a flag of its own: leave that to the C library.
  const bool zero_flag = pos < field_width.size() && field_width[pos] == '0';
  bool ok = !zero_flag && read_number(field_width, pos, width_);
  if (ok && pos < field_width.size() && field_width[pos] == '.') {
    ++pos;
    ok = read_number(field_width, pos, precision_);
  }
  fast_ = ok && pos == field_width.size();
  if (!fast_) {
    conversion_ = "%";
    conversion_.append(field_width);
    conversion_ += 's';
  }
}

void FieldFormat::format_fast(std::string_view value, OutputChannel& out) const {
  if (value.size() > precision_) value = value.substr(0, precision_);
  const size_t padding = width_ > value.size() ? width_ - value.size() : 0;
  if (!left_) out.append_fill(' ', padding);
  out.append(value);
  if (left_) out.append_fill(' ', padding);
}

void FieldFormat::format_with_c_library(const char* value, OutputChannel& out) const {
  out.print(conversion_.c_str(), value);
}
