#include "joblog/cursor_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdio>
#include <string_view>

namespace {

constexpr std::string_view kFirstLine = "jobview cursor 1\n";
// Far more than the lines of every log a command line can name.
constexpr size_t kLargestFile = size_t{16} << 20;

// Reads the file into `text`; false when it is not a regular file, cannot be
// read or is beyond any size this program writes. A missing file is empty.
bool read_whole(const char* path, std::string& text) {
  // Non-blocking: a FIFO in its place must not hang the run.
  const int fd = open(path, O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return errno == ENOENT;
  struct stat info;
  bool ok = fstat(fd, &info) == 0 && S_ISREG(info.st_mode);
  char buffer[65536];
  while (ok) {
    const ssize_t got = read(fd, buffer, sizeof buffer);
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) {
      ok = got == 0;
      break;
    }
    text.append(buffer, static_cast<size_t>(got));
    ok = text.size() <= kLargestFile;
  }
  close(fd);
  return ok;
}

// Decimal digits at the start of `text`, and the space after them; the
// number must fit in a long.
bool take_number(std::string_view& text, bool may_be_negative, long& value) {
  const bool negative = may_be_negative && !text.empty() && text[0] == '-';
  if (negative) text.remove_prefix(1);
  size_t digits = 0;
  unsigned long magnitude = 0;
  for (; digits < text.size() && text[digits] >= '0' && text[digits] <= '9'; ++digits) {
    const unsigned long digit = static_cast<unsigned long>(text[digits] - '0');
    if (magnitude > (static_cast<unsigned long>(LONG_MAX) - digit) / 10) return false;
    magnitude = magnitude * 10 + digit;
  }
  if (digits == 0 || digits == text.size() || text[digits] != ' ') return false;
  text.remove_prefix(digits + 1);
  value = negative ? -static_cast<long>(magnitude) : static_cast<long>(magnitude);
  return true;
}

}  // namespace

bool read_cursor_file(const char* path, std::vector<CursorPoint>& points) {
  std::string whole;
  if (!read_whole(path, whole)) return false;
  if (whole.empty()) return true;
  std::string_view text = whole;
  if (text.substr(0, kFirstLine.size()) != kFirstLine) return false;
  text.remove_prefix(kFirstLine.size());
  while (!text.empty()) {
    const size_t newline = text.find('\n');
    if (newline == std::string_view::npos) return false;
    std::string_view line = text.substr(0, newline);
    text.remove_prefix(newline + 1);
    CursorPoint point;
    long offset = 0;
    if (!take_number(line, true, point.log_number) || !take_number(line, false, offset)) {
      return false;
    }
    point.offset = offset;
    point.stamp.assign(line);
    points.push_back(std::move(point));
  }
  return true;
}

std::string cursor_file_text(const std::vector<CursorPoint>& points) {
  std::string text(kFirstLine);
  for (size_t i = 0; i < points.size(); ++i) {
    const CursorPoint& point = points[i];
    // A log named twice: the first naming counts.
    if (find_cursor_point(points, point.log_number, point.stamp) != &point) continue;
    char numbers[48];
    const int size = std::snprintf(numbers, sizeof numbers, "%ld %lld ", point.log_number,
                                   static_cast<long long>(point.offset));
    text.append(numbers, static_cast<size_t>(size));
    text += point.stamp;
    text += '\n';
  }
  return text;
}

const CursorPoint* find_cursor_point(const std::vector<CursorPoint>& points, long log_number,
                                     const std::string& stamp) {
  for (const CursorPoint& point : points) {
    if (point.log_number == log_number && point.stamp == stamp) return &point;
  }
  return nullptr;
}
