#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

// White space as the C locale has it; the program sets no locale.
inline bool is_c_space(char c) { return c == ' ' || (c >= '\t' && c <= '\r'); }

// Job logs are read through a window of this size. A line that does not fit in
// it is never held whole: it is walked, and what is needed of it is read by
// position. (The fuzz build makes the window small, so that its inputs reach
// past it.)
#ifndef JOBVIEW_READ_WINDOW
#define JOBVIEW_READ_WINDOW (size_t{256} << 10)
#endif
inline constexpr size_t kReadWindow = JOBVIEW_READ_WINDOW;

// Every line held in the window is followed by at least this many bytes that
// may be read (their values are arbitrary), so that word-at-a-time searches
// over a line need not stop short, and that a piece of a line can be copied
// 32 bytes at a time.
inline constexpr size_t kLineSlack = 32;

// The most the display keeps of a value, and of each part of a job identifier.
inline constexpr size_t kValueMax = 4096;

// What a job log line says: its bytes up to its first NUL byte, else up to its
// line end: the newline, and one carriage return just before it (logs that
// travelled through other systems end their lines so). Searched in
// place for a line in the read window; for a longer line, read by position a
// piece at a time, so that a search holds a piece, never the line.
class LineText {
 public:
  static constexpr int64_t npos = -1;

  LineText(std::string_view in_place)  // implicit: a text in memory is a line text
      : in_place_(in_place), size_(static_cast<int64_t>(in_place.size())) {}
  LineText(int fd, int64_t offset, int64_t size) : fd_(fd), offset_(offset), size_(size) {}

  int64_t size() const { return size_; }

  // The first position at or after `from` that holds `c` (or any, or none, of
  // `set`); npos when there is none.
  int64_t find(char c, int64_t from) const {
    if (fd_ >= 0) return search(std::string_view(&c, 1), true, false, from);
    return position(in_place_.find(c, static_cast<size_t>(from < 0 ? 0 : from)));
  }
  int64_t find_first_of(std::string_view set, int64_t from) const {
    return fd_ >= 0 ? search(set, true, false, from) : forward_in_place(set, true, from);
  }
  int64_t find_first_not_of(std::string_view set, int64_t from) const {
    return fd_ >= 0 ? search(set, false, false, from) : forward_in_place(set, false, from);
  }
  // The last position that holds `c`, and the last before `before` that holds
  // any (or none) of `set`.
  int64_t rfind(char c) const {
    if (fd_ >= 0) return search(std::string_view(&c, 1), true, true, size_);
    return position(in_place_.rfind(c));
  }
  int64_t find_last_of(std::string_view set, int64_t before) const {
    return fd_ >= 0 ? search(set, true, true, before) : backward_in_place(set, true, before);
  }
  int64_t find_last_not_of(std::string_view set, int64_t before) const {
    return fd_ >= 0 ? search(set, false, true, before) : backward_in_place(set, false, before);
  }

  // At most `count` bytes from `pos` on (fewer at the text's end). Bytes read
  // by position are copied into `scratch`, which the result then refers to.
  std::string_view substr(int64_t pos, int64_t count, std::string& scratch) const;

 private:
  static int64_t position(size_t found) {
    return found == std::string_view::npos ? npos : static_cast<int64_t>(found);
  }
  // Sets are a few characters: a loop over them costs less than a call.
  static bool in(std::string_view set, char c) {
    for (const char s : set) {
      if (s == c) return true;
    }
    return false;
  }
  int64_t forward_in_place(std::string_view set, bool member, int64_t from) const {
    for (int64_t i = from < 0 ? 0 : from; i < size_; ++i) {
      if (in(set, in_place_[static_cast<size_t>(i)]) == member) return i;
    }
    return npos;
  }
  int64_t backward_in_place(std::string_view set, bool member, int64_t before) const {
    for (int64_t i = before < size_ ? before : size_; i-- > 0;) {
      if (in(set, in_place_[static_cast<size_t>(i)]) == member) return i;
    }
    return npos;
  }
  // The search by position: forward from `at`, or backward from before `at`,
  // for a byte that is (or is not) a `member` of `set`.
  int64_t search(std::string_view set, bool member, bool backward, int64_t at) const;

  std::string_view in_place_;
  int fd_ = -1;  // -1: the text is in place
  int64_t offset_ = 0;
  int64_t size_ = 0;
};

// One line of a job log, as the reading loops of joblog/log_lines.h hand it over.
struct LogLine {
  int64_t offset = 0;   // where it begins in the file
  int64_t size = 0;     // its bytes, newline included; 0 when nothing was left
  bool at_end = false;  // the file ended before a newline: such a line is never examined
  char first = '\0';    // its first byte
  // The whole line, while it lies in the read window (until the next read of
  // any log), followed by kLineSlack readable bytes; null for a line longer
  // than the window, which is read by position from `fd`.
  const char* data = nullptr;
  int fd = -1;
  int64_t long_until_nul = 0;  // for a line longer than the window: see until_nul()
  int64_t long_text_size = 0;  // and the size of its text

  // Attribute lines begin with white space; a NUL byte is not white space.
  bool begins_with_space() const { return size > 0 && is_c_space(first); }

  // The bytes that C string functions see: up to its first NUL, else all.
  int64_t until_nul() const {
    return data != nullptr ? static_cast<int64_t>(strnlen(data, static_cast<size_t>(size)))
                           : long_until_nul;
  }

  // The text of a line in the window; `nul_free` when the caller knows that
  // the line holds no NUL byte.
  std::string_view in_place_text(bool nul_free) const {
    size_t n = static_cast<size_t>(size);
    if (!nul_free) n = strnlen(data, n);
    if (n == static_cast<size_t>(size) && !at_end) {
      --n;  // the newline
      if (n > 0 && data[n - 1] == '\r') --n;
    }
    return {data, n};
  }

  LineText text(bool nul_free = false) const {
    if (data != nullptr) return in_place_text(nul_free);
    return LineText(fd, offset, long_text_size);
  }
};

// The last ':' or '.' of a record header line decides its kind: ':' a job,
// '.' (or neither) a document.
bool is_job_header(const LogLine& line);
