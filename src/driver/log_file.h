#pragma once

#include <cctype>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string_view>

// The most one read of a job log line takes: the device's tools read lines into
// 255-byte buffers, so a longer line arrives in pieces, each judged on its own.
inline constexpr size_t kLogPieceMax = 254;

// What one line read of a job log gives: the bytes up to and including the
// next newline, or 254 bytes, or what is left before the end of the file.
struct LogPiece {
  const char* data = "";  // valid until the next read from any LogFile
  size_t size = 0;        // bytes read; 0 when nothing was left
  bool at_end = false;    // this read met the end of the file: the piece is never examined

  // The piece as C string functions see it: up to its first NUL byte.
  std::string_view text() const { return {data, strnlen(data, size)}; }
  // Attribute lines begin with white space; a NUL byte is not white space.
  bool begins_with_space() const {
    return size > 0 && std::isspace(static_cast<unsigned char>(data[0])) != 0;
  }
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

  std::FILE* stream() const { return stream_; }

 private:
  std::FILE* stream_;
  int fd_;
};
