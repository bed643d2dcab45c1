#pragma once

// The loops that read a job log: every byte of a log passes through one of
// them, so they are templates, and each caller's visitor is inlined into its
// loop. Lines are whole lines, however long: a line longer than the read
// window is walked to its end and handed over without its bytes (data null);
// its text is then read by position (LogLine::text).
//
// Visitors must not read through the window of any LogFile (bytes_at,
// window_from, the loops below): all logs share one window, and a read could
// move it under the loop. Reading by position (LineText, for_each_piece_to_nul)
// is allowed.

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <string_view>

#include "joblog/byte_classes.h"
#include "joblog/line_ends.h"
#include "joblog/log_file.h"
#include "platform/read_at.h"

// Hands visit(line) each line from `offset` on, until visit returns false or
// a line meets the end of the file (that line is handed over too, and is
// empty when nothing was left).
template <typename Visit>
void for_each_line(LogFile& log, int64_t offset, Visit&& visit) {
  LogFile::Bytes bytes = log.bytes_at(offset);
  for (;;) {
    const char* const base = bytes.data;
    const char* const end = base + bytes.size;
    const char* line = base;
    joblog_detail::LineEnds line_ends(base, end);
    for (const char* newline; (newline = line_ends.next()) != end; line = newline + 1) {
      if (!visit(LogLine{offset + (line - base), newline + 1 - line, false, *line, line})) return;
    }
    if (bytes.reaches_end) {
      visit(LogLine{offset + (line - base), end - line, true, line != end ? *line : '\0', line});
      return;
    }
    offset += line - base;
    if (line != base || bytes.size < kReadWindow) {
      bytes = log.window_from(offset);  // the line goes on past the window's end
      continue;
    }
    const LogLine long_line = log.walk_long_line(offset);
    if (!visit(long_line) || long_line.at_end) return;
    offset += long_line.size;
    bytes = log.window_from(offset);
  }
}

// The scan's loop: hands visit(line) every line from `offset` on that does not
// begin with white space (a record header line), the last line without a
// newline excepted, and returns the offset of that last line: where the read
// that met the end of the file began. With `until`, only the lines that begin
// before it are looked at (the lines from there on are another thread's).
// Most lines are attribute lines, so only the starts of header lines are
// looked for, many bytes at a time; a NUL byte met on the way is noted in the
// log (LogFile::has_nul).
template <typename Visit>
int64_t for_each_header(LogFile& log, int64_t offset, Visit&& visit, int64_t until = INT64_MAX) {
  HeaderSearch search;
  while (offset < until) {
    const LogFile::Bytes bytes = log.window_from(offset);
    const char* const base = bytes.data;
    const void* last = bytes.size > 0 ? memrchr(base, '\n', bytes.size) : nullptr;
    if (last == nullptr) {
      if (bytes.reaches_end) {
        if (std::memchr(base, '\0', bytes.size) != nullptr) log.note_nul();
        return offset;
      }
      // A line longer than the window.
      const LogLine long_line = log.walk_long_line(offset);
      if (long_line.at_end) return offset;
      if (!is_c_space(long_line.first)) visit(long_line);
      offset += long_line.size;
      continue;
    }
    // The whole lines of the window; the rest is read again with the next one.
    const size_t whole = static_cast<size_t>(static_cast<const char*>(last) - base) + 1;
    const size_t ours = until - offset < static_cast<int64_t>(whole)
                            ? static_cast<size_t>(until - offset)
                            : whole;  // where lines may begin
    auto visit_at = [&](size_t start) {
      const char* line = base + start;
      const char* newline = static_cast<const char*>(std::memchr(line, '\n', whole - start));
      visit(LogLine{offset + static_cast<int64_t>(start), newline + 1 - line, false, *line, line});
    };
    if (base[0] == '\0') log.note_nul();
    if (!is_c_space(base[0])) visit_at(0);
    for (size_t from = 1; from < ours; from = search.stop) {
      find_header_starts(base, from, ours, search);
      if (search.nul) log.note_nul();
      for (size_t i = 0; i < search.count; ++i) visit_at(search.starts[i]);
    }
    if (bytes.reaches_end && std::memchr(base + whole, '\0', bytes.size - whole) != nullptr) {
      log.note_nul();
    }
    offset += static_cast<int64_t>(whole);
    if (bytes.reaches_end) return offset;
  }
  return offset;
}

// The bytes from `from` up to `to`, handed to visit(data, size) in the
// window's chunks; fewer when the file has become shorter.
template <typename Visit>
void for_each_chunk(LogFile& log, int64_t from, int64_t to, Visit&& visit) {
  while (from < to) {
    const LogFile::Bytes bytes = log.bytes_at(from);
    if (bytes.size == 0) return;
    const size_t size = std::min<int64_t>(static_cast<int64_t>(bytes.size), to - from);
    visit(bytes.data, size);
    from += static_cast<int64_t>(size);
  }
}

// The line that begins at `offset`.
inline LogLine read_line(LogFile& log, int64_t offset) {
  LogLine first;
  for_each_line(log, offset, [&first](const LogLine& line) {
    first = line;
    return false;
  });
  return first;
}

// The bytes that C string functions see of a line (up to its first NUL byte,
// all of them when it holds none), handed to visit(text) in pieces.
template <typename Visit>
void for_each_piece_to_nul(const LogLine& line, Visit&& visit) {
  if (line.data != nullptr) {
    visit(std::string_view(line.data, static_cast<size_t>(line.until_nul())));
    return;
  }
  char piece[16384];
  for (int64_t done = 0; done < line.long_until_nul;) {
    const size_t want = static_cast<size_t>(
        std::min<int64_t>(static_cast<int64_t>(sizeof piece), line.long_until_nul - done));
    const size_t got = read_at(line.fd, line.offset + done, piece, want);
    if (got == 0) return;  // the file has become shorter
    visit(std::string_view(piece, got));
    done += static_cast<int64_t>(got);
  }
}
