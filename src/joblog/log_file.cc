#include "joblog/log_file.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <memory>

namespace {

constexpr size_t kWindowSize = size_t{256} << 10;
// Records are shown newest first, so a window loaded for a step backwards ends
// this far after the wanted offset and reaches back over the records before it.
constexpr size_t kForwardReach = size_t{16} << 10;

struct Window {
  std::unique_ptr<char[]> bytes;
  const LogFile* owner = nullptr;
  int64_t start = 0;
  size_t size = 0;
  bool reaches_end = false;  // the read that filled it met the end of the file
};

Window shared_window;  // constant-initialised: no guard on the hot path
Window& window() { return shared_window; }

void fill(Window& w, const LogFile* owner, int fd, int64_t start) {
  // The window keeps kLogPieceSlack bytes after its end, the margin that the
  // interface promises after every piece; cleared once, so they read as defined.
  if (!w.bytes) w.bytes = std::make_unique<char[]>(kWindowSize + kLogPieceSlack);
  w.owner = owner;
  w.start = start;
  w.size = 0;
  w.reaches_end = false;
  while (w.size < kWindowSize) {
    const ssize_t got = pread(fd, w.bytes.get() + w.size, kWindowSize - w.size,
                              static_cast<off_t>(start + static_cast<int64_t>(w.size)));
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) {  // end of file, or a read error, which ends reading just the same
      w.reaches_end = true;
      return;
    }
    w.size += static_cast<size_t>(got);
  }
}

}  // namespace

LogFile::LogFile(std::FILE* stream) : stream_(stream), fd_(fileno(stream)) {}

LogFile::~LogFile() {
  // A later LogFile may get this address: it must not find this file's bytes.
  if (window().owner == this) window().owner = nullptr;
}

const char* LogFile::bytes_at(int64_t offset, size_t& available) {
  bool at_end;
  return bytes_at(offset, available, at_end);
}

const char* LogFile::bytes_at(int64_t offset, size_t& available, bool& at_end) {
  Window& w = window();
  const int64_t end = w.start + static_cast<int64_t>(w.size);
  const bool covered =
      w.owner == this && offset >= w.start &&
      (offset + static_cast<int64_t>(kLogPieceMax) <= end || (w.reaches_end && offset <= end));
  if (!covered) {
    int64_t start = offset;
    if (w.owner == this && offset < w.start) {
      start = std::max<int64_t>(
          0, offset + static_cast<int64_t>(kForwardReach) - static_cast<int64_t>(kWindowSize));
    }
    fill(w, this, fd_, start);
  }
  // A file cut shorter since the scan (by a writer that ignored the lock) may
  // end before `offset`: nothing is there, as at the end of the file, and no
  // byte left in the window from an earlier read may pass for its content.
  const int64_t window_end = w.start + static_cast<int64_t>(w.size);
  const int64_t at = std::min(offset, window_end);
  available = static_cast<size_t>(window_end - at);
  at_end = w.reaches_end;
  return w.bytes.get() + (at - w.start);
}

const char* LogFile::window_from(int64_t offset, size_t& available, bool& at_end) {
  Window& w = window();
  if (!(w.owner == this && w.start == offset)) fill(w, this, fd_, offset);
  available = w.size;
  at_end = w.reaches_end;
  return w.bytes.get();
}

namespace {
int64_t file_size(int fd) {
  struct stat info;
  return fstat(fd, &info) == 0 ? static_cast<int64_t>(info.st_size) : -1;
}
}  // namespace

void LogFile::note_scanned() {
  scanned_size_ = file_size(fd_);
  check_ = Check::kNotYet;
}

bool LogFile::unchanged_since_scan() {
  if (check_ == Check::kNotYet) {
    check_ =
        scanned_size_ >= 0 && file_size(fd_) == scanned_size_ ? Check::kUnchanged : Check::kChanged;
  }
  return check_ == Check::kUnchanged;
}
