#include "render/in_place_record.h"

#include <algorithm>

#include "render/name_starts.h"

LogFile::Bytes delimited_record(LogFile& log, int64_t offset, int64_t end, size_t max_size) {
  if (end <= offset || end - offset > static_cast<int64_t>(max_size)) return {};
  const size_t size = static_cast<size_t>(end - offset);
  LogFile::Bytes bytes = log.bytes_at(offset);
  if (bytes.size < size) bytes = log.window_from(offset);
  // A record delimited by the scan ends with a newline; one that does not has
  // changed since.
  if (bytes.size < size || bytes.data[size - 1] != '\n') return {};
  return bytes;
}

bool InPlaceRecord::load(LogFile& log, int64_t offset, int64_t end) {
  const LogFile::Bytes bytes = delimited_record(log, offset, end, kMaxSize);
  if (bytes.data == nullptr) return false;
  const size_t size = static_cast<size_t>(end - offset);
  record_ = bytes.data;
  size_ = size;
  classify_record(record_, size, bytes.size, classes_);
  // The spare word may hold bits of a longer record read before.
  const size_t spare = (size + 63) / 64;
  for (uint64_t* mask : {newlines_, blanks_, fillers_, quotes_, returns_}) mask[spare] = 0;
  return true;
}

size_t InPlaceRecord::find_names() {
  return find_name_starts(classes_, size_, delimiters_, names_);
}

InPlaceRecord::Span InPlaceRecord::value_after_far(size_t name_end) const {
  const size_t text = text_end(name_end, first_set_bit(newlines_, name_end, size_));
  const size_t after = name_end < text ? name_end + 1 : name_end;
  const size_t value = first_clear_bit(fillers_, after, text);
  const size_t first_quote = first_set_bit(quotes_, value, text);
  const size_t last_quote = last_set_bit(quotes_, first_quote, text);
  if (last_quote != first_quote && first_quote != text) {
    return {first_quote + 1, last_quote - first_quote - 1};
  }
  return {value, text - value};
}
