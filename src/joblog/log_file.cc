#include "joblog/log_file.h"

#include <sys/stat.h>

#include <algorithm>
#include <cstring>
#include <memory>

#include "platform/read_at.h"

namespace {

int64_t file_size(int fd) {
  struct stat info;
  return fstat(fd, &info) == 0 ? static_cast<int64_t>(info.st_size) : -1;
}

// Records are shown newest first, so a window loaded for a step backwards ends
// this far after the wanted offset and reaches back over the records before it.
constexpr size_t kForwardReach = kReadWindow / 16;

struct Window {
  std::unique_ptr<char[]> bytes;
  const LogFile* owner = nullptr;
  int64_t start = 0;
  size_t size = 0;
  bool reaches_end = false;  // the read that filled it met the end of the file
  int64_t file_size = -1;    // just after that read
};

// One window for each thread that reads logs (the display may use two).
thread_local Window shared_window;  // constant-initialised: no guard on the hot path
Window& window() { return shared_window; }

void fill(Window& w, const LogFile* owner, int fd, int64_t start) {
  // The bytes after the window are cleared once, so the slack reads as defined.
  if (!w.bytes) w.bytes = std::make_unique<char[]>(kReadWindow + kLineSlack);
  w.owner = owner;
  w.start = start;
  w.size = read_at(fd, start, w.bytes.get(), kReadWindow);
  w.reaches_end = w.size < kReadWindow;
  w.file_size = file_size(fd);
}

// The window's bytes from `offset` on. A file cut shorter since the scan (by a
// writer that ignored the lock) may end before `offset`: nothing is there then,
// as at the end of the file, and no byte left in the window from an earlier
// read may pass for its content.
LogFile::Bytes bytes_from(const Window& w, int64_t offset) {
  const int64_t end = w.start + static_cast<int64_t>(w.size);
  const int64_t at = std::min(offset, end);
  return {w.bytes.get() + (at - w.start), static_cast<size_t>(end - at), w.reaches_end,
          w.file_size};
}

}  // namespace

LogFile::LogFile(std::FILE* stream, const char* name)
    : stream_(stream), fd_(fileno(stream)), name_(name) {}

LogFile::~LogFile() {
  // A later LogFile may get this address: it must not find this file's bytes.
  if (window().owner == this) window().owner = nullptr;
}

LogFile::Bytes LogFile::bytes_at(int64_t offset) {
  Window& w = window();
  const int64_t end = w.start + static_cast<int64_t>(w.size);
  const bool covered =
      w.owner == this && offset >= w.start && (offset < end || (w.reaches_end && offset <= end));
  if (!covered) {
    int64_t start = offset;
    if (w.owner == this && offset < w.start) {
      start = std::max<int64_t>(
          0, offset + static_cast<int64_t>(kForwardReach) - static_cast<int64_t>(kReadWindow));
    }
    fill(w, this, fd_, start);
  }
  return bytes_from(w, offset);
}

LogFile::Bytes LogFile::window_from(int64_t offset) {
  Window& w = window();
  if (!(w.owner == this && w.start == offset)) fill(w, this, fd_, offset);
  return bytes_from(w, offset);
}

LogLine LogFile::walk_long_line(int64_t offset) {
  LogLine line;
  line.offset = offset;
  line.fd = fd_;
  line.long_until_nul = -1;
  char before_newline = '\0';  // the last byte walked before the newline
  for (int64_t at = offset;;) {
    const Bytes bytes = window_from(at);
    if (at == offset && bytes.size > 0) line.first = bytes.data[0];
    const char* newline = static_cast<const char*>(std::memchr(bytes.data, '\n', bytes.size));
    const size_t walked =
        newline != nullptr ? static_cast<size_t>(newline - bytes.data) + 1 : bytes.size;
    if (line.long_until_nul < 0) {
      if (const void* nul = std::memchr(bytes.data, '\0', walked)) {
        line.long_until_nul = at - offset + (static_cast<const char*>(nul) - bytes.data);
        note_nul();
      }
    }
    if (newline != nullptr) {
      if (newline > bytes.data) before_newline = newline[-1];
    } else if (bytes.size > 0) {
      before_newline = bytes.data[bytes.size - 1];
    }
    at += static_cast<int64_t>(walked);
    if (newline != nullptr || bytes.reaches_end) {
      line.size = at - offset;
      line.at_end = newline == nullptr;
      break;
    }
  }
  line.long_text_size = line.at_end ? line.size : line.size - 1 - (before_newline == '\r');
  if (line.long_until_nul >= 0) {
    line.long_text_size = line.long_until_nul;
  } else {
    line.long_until_nul = line.size;
  }
  return line;
}

int64_t LogFile::size() const { return file_size(fd_); }

void LogFile::note_scanned() {
  scanned_size_ = file_size(fd_);
  check_ = Check::kNotYet;
}

bool LogFile::unchanged_since_scan() {
  Check check = check_.load(std::memory_order_relaxed);
  if (check == Check::kNotYet) {
    check =
        scanned_size_ >= 0 && holds_scanned(file_size(fd_)) ? Check::kUnchanged : Check::kChanged;
    check_.store(check, std::memory_order_relaxed);
  }
  return check == Check::kUnchanged;
}
