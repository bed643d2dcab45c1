#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string_view>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

// The most one read of a job log line takes: the device's tools read lines into
// 255-byte buffers, so a longer line arrives in pieces, each judged on its own.
inline constexpr size_t kLogPieceMax = 254;
// Bytes after the end of a piece read from a log that may be read (their
// values are arbitrary): word-at-a-time searches need not stop short.
inline constexpr size_t kLogPieceSlack = 8;

// White space as the C locale has it; the program sets no locale.
inline bool is_c_space(char c) {
  return c == ' ' || (c >= '\t' && c <= '\r');
}

// What one line read of a job log gives: the bytes up to and including the
// next newline, or 254 bytes, or what is left before the end of the file.
struct LogPiece {
  const char* data = "";  // valid until the next read from any LogFile; see kLogPieceSlack
  size_t size = 0;        // bytes read; 0 when nothing was left
  bool at_end = false;    // this read met the end of the file: the piece is never examined

  // The piece as C string functions see it: up to its first NUL byte.
  std::string_view text() const { return {data, strnlen(data, size)}; }
  // Attribute lines begin with white space; a NUL byte is not white space.
  bool begins_with_space() const { return size > 0 && is_c_space(data[0]); }
};

// A job log opened for the run. It is read by position through one window
// shared by all logs (only one log is being read at any time), so memory does
// not grow with the size or the number of logs. The file stays open until exit.
class LogFile {
 public:
  explicit LogFile(std::FILE* stream);
  ~LogFile();
  LogFile(const LogFile&) = delete;
  LogFile& operator=(const LogFile&) = delete;

  // The piece that one line read at `offset` gives. A read error counts as
  // the end of the file, so no reader can loop on a failing file.
  LogPiece read_piece(int64_t offset);

  // The visitors of the loops below must not read from any LogFile: all logs
  // share one window, and a read could move it under the loop.
  //
  // Reads the pieces from `offset` on, one after the other, handing each to
  // `visit(piece)` until visit returns false or a piece meets the end of the
  // file (that piece is handed over too). The same pieces as read_piece, with
  // less work for each: this is the loop that every byte of a log goes through.
  template <typename Visit>
  void for_each_piece(int64_t offset, Visit&& visit);

  // The scan's loop: hands `visit(offset, piece)` every piece from `offset` on
  // that does not begin with white space (a record header line), as
  // for_each_piece would find them, and returns the offset of the last read,
  // the one that met the end of the file. Only the line ends are looked for,
  // many bytes at a time, since most lines are attribute lines.
  template <typename Visit>
  int64_t for_each_header(int64_t offset, Visit&& visit);

  // The bytes from `from` up to `to`, handed to `visit(data, size)` in the
  // window's chunks; fewer when the file has become shorter.
  template <typename Visit>
  void for_each_chunk(int64_t from, int64_t to, Visit&& visit);

  // Remembers the file's size when the scan is done with it: positions found
  // by the scan hold for the display only while the file keeps that size.
  void note_scanned();
  bool unchanged_since_scan();
  // Whether the bytes read by for_each_header held a NUL byte.
  bool has_nul() const { return has_nul_; }

  std::FILE* stream() const { return stream_; }

 private:
  // The bytes of the window from `offset` on when at least a whole piece (or
  // the rest of the file) is there; loads the window otherwise.
  const char* bytes_at(int64_t offset, size_t& available);
  const char* bytes_at(int64_t offset, size_t& available, bool& at_end);
  // A window that starts at `offset`; `at_end` tells whether it reaches the end of the file.
  const char* window_from(int64_t offset, size_t& available, bool& at_end);

  std::FILE* stream_;
  int fd_;
  int64_t scanned_size_ = -1;
  bool has_nul_ = false;  // a NUL byte was met by for_each_header
  enum class Check { kNotYet, kUnchanged, kChanged } check_ = Check::kNotYet;
};

namespace log_file_detail {

// The newlines of a stretch of bytes, in order, found 64 bytes at a time
// (with the processor's vector compares where it has them); on request it
// also notes whether a NUL byte went by.
class LineEnds {
 public:
  LineEnds(const char* begin, const char* end, bool watch_nul = false)
      : block_(begin), end_(end), watch_nul_(watch_nul) {
    load();
  }

  // The next newline, or the end of the stretch when there is none.
  const char* next() {
    while (mask_ == 0) {
      block_ += 64;
      if (block_ >= end_) return end_;
      load();
    }
    const char* found = block_ + __builtin_ctzll(mask_);
    mask_ &= mask_ - 1;
    return found;
  }

  bool saw_nul() const {
#if defined(__SSE2__)
    if (_mm_movemask_epi8(_mm_cmpeq_epi8(lowest_, _mm_setzero_si128())) != 0) return true;
#endif
    return nul_;
  }

 private:
  void load() {
#if defined(__SSE2__)
    if (end_ - block_ >= 64) {
      const __m128i newline = _mm_set1_epi8('\n');
      __m128i bytes[4];
      mask_ = 0;
      for (int i = 0; i < 4; ++i) {
        bytes[i] = _mm_loadu_si128(reinterpret_cast<const __m128i*>(block_ + 16 * i));
        mask_ |= static_cast<uint64_t>(static_cast<uint16_t>(
                     _mm_movemask_epi8(_mm_cmpeq_epi8(bytes[i], newline))))
                 << (16 * i);
      }
      if (watch_nul_) {
        // The smallest byte seen so far is 0 exactly when a NUL went by.
        lowest_ = _mm_min_epu8(lowest_, _mm_min_epu8(_mm_min_epu8(bytes[0], bytes[1]),
                                                     _mm_min_epu8(bytes[2], bytes[3])));
      }
      return;
    }
#endif
    mask_ = 0;
    const ptrdiff_t count = end_ - block_ < 64 ? end_ - block_ : 64;
    for (ptrdiff_t i = 0; i < count; ++i) {
      if (block_[i] == '\n') mask_ |= uint64_t{1} << i;
      if (block_[i] == '\0') nul_ = nul_ || watch_nul_;
    }
  }

  const char* block_;
  const char* end_;
  bool watch_nul_;
  uint64_t mask_ = 0;
  bool nul_ = false;
#if defined(__SSE2__)
  __m128i lowest_ = _mm_set1_epi8(static_cast<char>(0xff));
#endif
};

}  // namespace log_file_detail

template <typename Visit>
int64_t LogFile::for_each_header(int64_t offset, Visit&& visit) {
  for (;;) {
    size_t available;
    bool at_end;
    const char* const base = window_from(offset, available, at_end);
    const char* const end = base + available;
    const char* piece = base;  // where the next read would begin
    log_file_detail::LineEnds line_ends(base, end, /*watch_nul=*/true);
    auto full_pieces_before = [&](const char* limit) {
      while (static_cast<size_t>(limit - piece) >= kLogPieceMax) {
        if (!is_c_space(*piece)) visit(offset + (piece - base), LogPiece{piece, kLogPieceMax, false});
        piece += kLogPieceMax;
      }
    };
    for (;;) {
      const char* const newline = line_ends.next();
      if (newline == end) {
        full_pieces_before(end);
        has_nul_ = has_nul_ || line_ends.saw_nul();
        if (at_end) return offset + (piece - base);  // the read that meets the end
        break;  // the line goes on past the window
      }
      full_pieces_before(newline);
      if (!is_c_space(*piece)) {
        visit(offset + (piece - base),
              LogPiece{piece, static_cast<size_t>(newline - piece) + 1, false});
      }
      piece = newline + 1;
    }
    offset += piece - base;
  }
}

template <typename Visit>
void LogFile::for_each_piece(int64_t offset, Visit&& visit) {
  for (;;) {
    size_t available;
    bool at_end;
    const char* const base = bytes_at(offset, available, at_end);
    const char* const end = base + available;
    const char* piece = base;
    log_file_detail::LineEnds line_ends(base, end);
    for (;;) {
      const char* const newline = line_ends.next();
      while (static_cast<size_t>(newline - piece) >= kLogPieceMax) {
        if (!visit(LogPiece{piece, kLogPieceMax, false})) return;
        piece += kLogPieceMax;
      }
      if (newline == end) {
        if (!at_end) break;  // the line goes on past the window
        visit(LogPiece{piece, static_cast<size_t>(end - piece), true});
        return;
      }
      if (!visit(LogPiece{piece, static_cast<size_t>(newline - piece) + 1, false})) return;
      piece = newline + 1;
    }
    offset += piece - base;
  }
}

template <typename Visit>
void LogFile::for_each_chunk(int64_t from, int64_t to, Visit&& visit) {
  while (from < to) {
    size_t available;
    const char* p = bytes_at(from, available);
    if (available == 0) return;
    const size_t size = static_cast<int64_t>(available) < to - from
                            ? available
                            : static_cast<size_t>(to - from);
    visit(p, size);
    from += static_cast<int64_t>(size);
  }
}
