#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string_view>

// The most one read of a job log line takes: the device's tools read lines into
// 255-byte buffers, so a longer line arrives in pieces, each judged on its own.
inline constexpr size_t kLogPieceMax = 254;
// Every piece a LogFile hands out is followed by at least this many bytes that
// may be read (their values are arbitrary), so word-at-a-time searches over a
// piece need not stop short: the read window is made with this margin.
inline constexpr size_t kLogPieceSlack = 8;

// White space as the C locale has it; the program sets no locale.
inline bool is_c_space(char c) { return c == ' ' || (c >= '\t' && c <= '\r'); }

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

  // The reading loops and read_piece are defined in joblog/log_file_loops.h.
  //
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
