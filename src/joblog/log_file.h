#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <utility>

#include "joblog/log_line.h"

// A job log opened for the run. Its bytes are read by position through one
// read window shared by all logs (a thread reads one log at any time), so
// memory grows neither with the size of the logs nor with their number. The
// file stays open until exit. joblog/log_lines.h reads it line by line.
class LogFile {
 public:
  // `name` is the log's name as given, for messages.
  explicit LogFile(std::FILE* stream, const char* name = "");
  ~LogFile();
  LogFile(const LogFile&) = delete;
  LogFile& operator=(const LogFile&) = delete;

  // Bytes of the file held in the read window, followed by kLineSlack
  // readable bytes. Valid until the next read through the window of any log.
  struct Bytes {
    const char* data;
    size_t size;
    bool reaches_end;   // they run to the end of the file
    int64_t file_size;  // the file's size just after they were read; -1 when unknown
  };
  // The bytes from `offset` on that the window holds, at least one unless the
  // file ends there. A window loaded for them reaches back before `offset`
  // when the last one began after it, since records are shown newest first.
  Bytes bytes_at(int64_t offset);
  // The bytes from `offset` on in a window that begins there: kReadWindow of
  // them unless the file ends sooner.
  Bytes window_from(int64_t offset);

  // Walks the line that begins at `offset` through the window to its end and
  // describes it; for a line longer than the window, which is then read by
  // position.
  LogLine walk_long_line(int64_t offset);

  int fd() const { return fd_; }
  const char* name() const { return name_; }
  // The identification stamp: what follows the banner on the first line, as
  // one 255-byte read gives it, without its line end.
  const std::string& stamp() const { return stamp_; }
  void set_stamp(std::string stamp) { stamp_ = std::move(stamp); }
  // The file's size now; -1 when it cannot be told.
  int64_t size() const;

  // Remembers the file's size when the scan is done with it: positions found
  // by the scan hold for the display only while the file keeps that size.
  void note_scanned();
  bool unchanged_since_scan();
  // The size noted when the scan was done with it; -1 before.
  int64_t scanned_size() const { return scanned_size_; }
  // Whether a file of `file_size` bytes still holds what the scan found: the
  // size noted, or for a log that is followed (which its writer appends to)
  // at least that size.
  bool holds_scanned(int64_t file_size) const {
    return file_size == scanned_size_ || (growing_ && file_size > scanned_size_);
  }
  void expect_growth() { growing_ = true; }
  // Whether a NUL byte was met in the bytes read so far (by either thread of
  // the scan).
  bool has_nul() const { return has_nul_.load(std::memory_order_relaxed); }
  void note_nul() { has_nul_.store(true, std::memory_order_relaxed); }

 private:
  std::FILE* stream_;
  int fd_;
  const char* name_;
  std::string stamp_;
  int64_t scanned_size_ = -1;
  bool growing_ = false;
  std::atomic<bool> has_nul_{false};
  // Asked by every thread of the display: the first to ask looks.
  enum class Check { kNotYet, kUnchanged, kChanged };
  std::atomic<Check> check_{Check::kNotYet};
};
