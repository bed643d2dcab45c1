#pragma once

#include <cstddef>
#include <string_view>

#include "diag/output_channel.h"

// The field conversion of a display item: what "%" + field width + "s" would
// print, with the width text read once and applied by the program itself, so
// that no text from a template ever reaches the C library as a format.
//
// A width text is well-formed when it reads as the C library's own conversion:
// flags '-' and '0' (any number, any order), then width digits, then '.' and
// precision digits (none means 0). A value prints exactly as the C library
// prints it then: cut to the precision, padded with spaces to the width, on
// the left unless '-' is given ('0' pads strings with spaces too). A width or
// precision past INT_MAX is refused by the C library: nothing is printed.
// An ill-formed text ("1.2.", "5-"), or one longer than 253 characters (more
// than the display's 256-byte conversion holds), prints the value as "{}" does.
class FieldFormat {
 public:
  explicit FieldFormat(std::string_view field_width);

  void write(std::string_view value, OutputChannel& out) const {
    if (refused_) return;
    if (value.size() > precision_) value = value.substr(0, precision_);
    const size_t padding = width_ > value.size() ? width_ - value.size() : 0;
    if (!left_) out.append_fill(' ', padding);
    out.append_log_text(value);
    if (left_) out.append_fill(' ', padding);
  }

  // A value placed in its field: spaces before it, its text, spaces after it.
  struct Placed {
    size_t left = 0;
    std::string_view text;
    size_t right = 0;
  };
  // The field that write() prints, except that the cut to the precision never
  // ends inside a UTF-8 character (widths still count bytes). A field the C
  // library would refuse is empty.
  Placed place_whole_characters(std::string_view value) const;

 private:
  bool left_ = false;
  bool refused_ = false;
  size_t width_ = 0;
  size_t precision_ = std::string_view::npos;
};
