#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "joblog/byte_classes.h"
#include "joblog/log_file.h"
#include "render/bit_search.h"

// The bytes of the record [offset, end) that the scan delimited, whole in the
// read window (and what the window holds after it); data null when the record
// is larger than `max_size`, longer than a window, or changed since the scan.
LogFile::Bytes delimited_record(LogFile& log, int64_t offset, int64_t end, size_t max_size);

// A record that the scan delimited and that lies whole in the read window of
// a log without NUL bytes, read in place: the classes of all its bytes are
// found with vector compares, then where every attribute name begins
// (render/name_starts.h); each name and value is then found by bit searches.
// The bit masks are made once and used for every record.
class InPlaceRecord {
 public:
  // Records up to this size are read in place.
  static constexpr size_t kMaxSize = size_t{16} << 10;

  // Reads the record of [offset, end) and classifies its bytes; false when it
  // does not qualify (too large, not in the window, or changed since the scan).
  bool load(LogFile& log, int64_t offset, int64_t end);

  const char* bytes() const { return record_; }
  // The header line's text, without its line end.
  std::string_view header_line() const {
    return {record_, text_end(0, first_set_bit(classes_.newlines, 0, size_))};
  }

  // Finds where the attribute names begin; their number.
  size_t find_names();
  // Where the i-th name (of find_names) begins and ends.
  size_t name_start(size_t i) const { return names_[i]; }
  size_t name_end(size_t name) const { return first_set_bit_quick(delimiters_, name, size_); }
  // The value after a name that ends at `name_end`, as attribute_value reads
  // it: past the delimiter after the name, spaces and '=' skipped, then
  // between the first and the last double quote if two. Not cut.
  struct Span {
    size_t start;
    size_t size;
  };
  Span value_after(size_t name_end) const;

 private:
  // value_after for a line that ends 64 bytes or more after its name.
  Span value_after_far(size_t name_end) const;

  static constexpr size_t kWords = kMaxSize / 64 + 1;  // a word to spare for the quick searches
  // A name takes two bytes of a line at least; find_name_starts writes four spare.
  static constexpr size_t kNames = kMaxSize / 2 + 8;

  // A line's text ends at its newline, or at one carriage return before it.
  size_t text_end(size_t start, size_t newline) const {
    return newline > start && record_[newline - 1] == '\r' ? newline - 1 : newline;
  }

  const char* record_ = nullptr;
  size_t size_ = 0;
  RecordClasses classes_{newlines_, blanks_, fillers_, quotes_, returns_};
  uint64_t newlines_[kWords];
  uint64_t blanks_[kWords];
  uint64_t fillers_[kWords];
  uint64_t quotes_[kWords];
  uint64_t returns_[kWords];
  uint64_t delimiters_[kWords];
  uint16_t names_[kNames];
};

// Inline: every attribute line of a JSON line goes through it.
inline InPlaceRecord::Span InPlaceRecord::value_after(size_t name_end) const {
  // Most lines end within 64 bytes of their name: the masks of those bytes
  // answer at once, positions counted from the name's end.
  const uint64_t newlines = bits_from(newlines_, name_end);
  if (newlines == 0) return value_after_far(name_end);
  const size_t newline = static_cast<size_t>(__builtin_ctzll(newlines));
  // A carriage return just before the newline is not text: the mask shifted
  // by one holds at `newline` the bit of the byte before it (none for 0).
  const size_t text = newline - ((bits_from(returns_, name_end) << 1 >> newline) & 1);
  const uint64_t before_text = (uint64_t{1} << text) - 1;  // text is 63 at most
  const uint64_t after = 1 + (text > 0);                   // the bit of the first byte after
  const uint64_t not_fillers = ~bits_from(fillers_, name_end) & ~(after - 1);
  const size_t value = static_cast<size_t>(__builtin_ctzll(not_fillers | uint64_t{1} << text));
  const uint64_t quotes =
      bits_from(quotes_, name_end) & before_text & ~((uint64_t{1} << value) - 1);
  // Between the first and the last of two or more quotes, chosen by a mask:
  // about half the values of a log are quoted, which no branch predicts.
  const uint64_t quoted = 0 - static_cast<uint64_t>((quotes & (quotes - 1)) != 0);
  const size_t first_quote = static_cast<size_t>(__builtin_ctzll(quotes | uint64_t{1} << 63));
  const size_t last_quote = 63 - static_cast<size_t>(__builtin_clzll(quotes | 1));
  const size_t first = value ^ ((value ^ (first_quote + 1)) & quoted);
  const size_t end = text ^ ((text ^ last_quote) & quoted);
  return {name_end + first, end - first};
}
