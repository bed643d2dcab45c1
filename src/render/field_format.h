#pragma once

#include <cstdio>
#include <string>
#include <string_view>

#include "diag/output_channel.h"

// The field conversion of a display item: "%" + field width + "s", compiled
// once. Widths of the usual form ([-][width][.precision]) are applied here;
// any other width text is handed to the C library, so its output stays the
// C library's own.
class FieldFormat {
 public:
  explicit FieldFormat(std::string_view field_width);

  // True when the value is written by `format_fast`; otherwise the caller
  // hands it, terminated, to `format_with_c_library`.
  bool fast() const { return fast_; }
  void format_fast(std::string_view value, OutputChannel& out) const;
  void format_with_c_library(const char* value, OutputChannel& out) const;

 private:
  bool fast_ = true;
  bool left_ = false;
  size_t width_ = 0;
  size_t precision_ = std::string_view::npos;
  std::string conversion_;  // for the C library
};
