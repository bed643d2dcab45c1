#include "joblog/log_line.h"

#include <algorithm>

#include "platform/read_at.h"

namespace {
constexpr int64_t kPiece = 4096;
}  // namespace

int64_t LineText::search(std::string_view set, bool member, bool backward, int64_t at) const {
  char piece[kPiece];
  // A file cut shorter than the text ends it where the file ends.
  if (!backward) {
    for (int64_t from = std::max<int64_t>(at, 0); from < size_; from += kPiece) {
      const size_t want = static_cast<size_t>(std::min(kPiece, size_ - from));
      const size_t got = read_at(fd_, offset_ + from, piece, want);
      for (size_t i = 0; i < got; ++i) {
        if (in(set, piece[i]) == member) return from + static_cast<int64_t>(i);
      }
      if (got < want) break;
    }
    return npos;
  }
  for (int64_t before = std::min(at, size_); before > 0;) {
    const int64_t start = std::max<int64_t>(0, before - kPiece);
    const size_t got = read_at(fd_, offset_ + start, piece, static_cast<size_t>(before - start));
    for (size_t i = got; i-- > 0;) {
      if (in(set, piece[i]) == member) return start + static_cast<int64_t>(i);
    }
    before = start;
  }
  return npos;
}

std::string_view LineText::substr(int64_t pos, int64_t count, std::string& scratch) const {
  pos = std::clamp<int64_t>(pos, 0, size_);
  count = std::clamp<int64_t>(count, 0, size_ - pos);
  if (fd_ < 0) return in_place_.substr(static_cast<size_t>(pos), static_cast<size_t>(count));
  scratch.resize(static_cast<size_t>(count));
  scratch.resize(read_at(fd_, offset_ + pos, scratch.data(), scratch.size()));
  return scratch;
}

bool is_job_header(const LogLine& line) {
  const LineText text = line.text();
  const int64_t last = text.find_last_of(":.", text.size());
  return last != LineText::npos && last == text.rfind(':');
}
