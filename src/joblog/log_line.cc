#include "joblog/log_line.h"

#include <algorithm>

#include "platform/read_at.h"

namespace {

constexpr int64_t kPiece = 4096;

int64_t position(size_t found) {
  return found == std::string_view::npos ? LineText::npos : static_cast<int64_t>(found);
}

// The first position of [from, size) read at `offset` of `fd` whose byte
// matches. A file cut shorter than the text ends the search there.
template <typename Match>
int64_t search_forward(int fd, int64_t offset, int64_t size, int64_t from, Match match) {
  char piece[kPiece];
  while (from < size) {
    const size_t want = static_cast<size_t>(std::min(kPiece, size - from));
    const size_t got = read_at(fd, offset + from, piece, want);
    for (size_t i = 0; i < got; ++i) {
      if (match(piece[i])) return from + static_cast<int64_t>(i);
    }
    if (got < want) break;
    from += kPiece;
  }
  return LineText::npos;
}

// The last position of [0, before) whose byte matches.
template <typename Match>
int64_t search_backward(int fd, int64_t offset, int64_t before, Match match) {
  char piece[kPiece];
  while (before > 0) {
    const int64_t start = std::max<int64_t>(0, before - kPiece);
    const size_t got = read_at(fd, offset + start, piece, static_cast<size_t>(before - start));
    for (size_t i = got; i-- > 0;) {
      if (match(piece[i])) return start + static_cast<int64_t>(i);
    }
    before = start;
  }
  return LineText::npos;
}

bool in(std::string_view set, char c) { return set.find(c) != std::string_view::npos; }

}  // namespace

int64_t LineText::find(char c, int64_t from) const {
  from = std::max<int64_t>(from, 0);
  if (fd_ < 0) return position(in_place_.find(c, static_cast<size_t>(from)));
  return search_forward(fd_, offset_, size_, from, [c](char b) { return b == c; });
}

int64_t LineText::find_first_of(std::string_view set, int64_t from) const {
  from = std::max<int64_t>(from, 0);
  if (fd_ < 0) return position(in_place_.find_first_of(set, static_cast<size_t>(from)));
  return search_forward(fd_, offset_, size_, from, [set](char b) { return in(set, b); });
}

int64_t LineText::find_first_not_of(std::string_view set, int64_t from) const {
  from = std::max<int64_t>(from, 0);
  if (fd_ < 0) return position(in_place_.find_first_not_of(set, static_cast<size_t>(from)));
  return search_forward(fd_, offset_, size_, from, [set](char b) { return !in(set, b); });
}

int64_t LineText::find_last_of(std::string_view set, int64_t before) const {
  before = std::min(before, size_);
  if (before <= 0) return npos;
  if (fd_ < 0) return position(in_place_.find_last_of(set, static_cast<size_t>(before - 1)));
  return search_backward(fd_, offset_, before, [set](char b) { return in(set, b); });
}

int64_t LineText::find_last_not_of(std::string_view set, int64_t before) const {
  before = std::min(before, size_);
  if (before <= 0) return npos;
  if (fd_ < 0) return position(in_place_.find_last_not_of(set, static_cast<size_t>(before - 1)));
  return search_backward(fd_, offset_, before, [set](char b) { return !in(set, b); });
}

std::string_view LineText::substr(int64_t pos, int64_t count, std::string& scratch) const {
  pos = std::clamp<int64_t>(pos, 0, size_);
  count = std::clamp<int64_t>(count, 0, size_ - pos);
  if (fd_ < 0) return in_place_.substr(static_cast<size_t>(pos), static_cast<size_t>(count));
  scratch.resize(static_cast<size_t>(count));
  scratch.resize(read_at(fd_, offset_ + pos, scratch.data(), scratch.size()));
  return scratch;
}
