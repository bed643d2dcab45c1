#include <algorithm>
#include <cstring>
#include <functional>

#include "joblog/log_lines.h"
#include "render/json_plain.h"
#include "render/record_json.h"

// What the JSON lines do once for each name, and for records larger than a
// record read in place: rare, and built for size with the rest of the code
// outside the per-record loops.

void RecordJsonWriter::make_keys(size_t up_to) {
  while (keys_.size() <= up_to) {
    const std::string_view name = names_.name(static_cast<int>(keys_.size()));
    keys_.emplace_back();
    // Written without a further look, so neither DEL, which a terminal shows
    // as '?', nor anything to escape.
    if (is_json_plain(name) && name.find('\x7f') == std::string_view::npos) {
      keys_.back().append(",\"").append(name).append("\":\"");
    }
  }
}

void RecordJsonWriter::write_escaped_key(int id, bool first, bool array) {
  if (!first) out_.append(",");
  write_string(names_.name(id));
  out_.append(array ? ":[" : ":\"");
}

const char* RecordJsonWriter::note_in_window(const JobEntry& entry) {
  LogFile& log = *entry.log;
  const int64_t size = entry.record_end - entry.record_offset;
  if (log.has_nul() || !log.unchanged_since_scan() || size <= 0 ||
      size > static_cast<int64_t>(kReadWindow / 2)) {
    return nullptr;
  }
  LogFile::Bytes bytes = log.bytes_at(entry.record_offset);
  if (bytes.size < static_cast<size_t>(size)) bytes = log.window_from(entry.record_offset);
  // A record that the scan delimited ends with a newline; one that does not has changed since.
  if (bytes.size < static_cast<size_t>(size) || bytes.data[size - 1] != '\n') return nullptr;
  const char* const end = bytes.data + size;
  // Every line after the header line is a body line: the next record's
  // header line is where the scan found the record's end.
  const char* line = static_cast<const char*>(std::memchr(bytes.data, '\n', size)) + 1;
  for (const char* newline; line != end; line = newline + 1) {
    newline = static_cast<const char*>(std::memchr(line, '\n', end - line));
    std::string_view text(line, static_cast<size_t>(newline - line));
    if (!text.empty() && text.back() == '\r') text.remove_suffix(1);
    std::string_view name;
    if (!attribute_name(text, name)) continue;
    const std::string_view value = attribute_value(text, name);
    note_line(name.substr(0, kValueMax), static_cast<size_t>(value.data() - bytes.data),
              value.size());
  }
  return bytes.data;
}

size_t RecordJsonWriter::find_name(std::string_view name, int64_t offset, bool add) {
  constexpr size_t kNone = static_cast<size_t>(-1);
  // The table is at least twice the names it holds, so a free slot ends every search.
  if (add && 2 * (walk_names_.size() + 1) > walk_slots_.size()) {
    walk_slots_.assign(walk_slots_.empty() ? 64 : 2 * walk_slots_.size(), 0);
    const size_t mask = walk_slots_.size() - 1;
    for (size_t i = 0; i < walk_names_.size(); ++i) {
      size_t at = std::hash<std::string_view>()(walk_name(walk_names_[i])) & mask;
      while (walk_slots_[at] != 0) at = (at + 1) & mask;
      walk_slots_[at] = static_cast<uint32_t>(i + 1);
    }
  }
  if (walk_slots_.empty()) return kNone;
  const size_t mask = walk_slots_.size() - 1;
  for (size_t at = std::hash<std::string_view>()(name) & mask;; at = (at + 1) & mask) {
    const uint32_t slot = walk_slots_[at];
    if (slot == 0) {
      if (!add) return kNone;
      walk_slots_[at] = static_cast<uint32_t>(walk_names_.size() + 1);
      walk_names_.push_back(WalkName{walk_bytes_.size(), name.size(), offset, offset, 0});
      walk_bytes_.append(name);
      return walk_names_.size() - 1;
    }
    if (walk_name(walk_names_[slot - 1]) == name) return slot - 1;
  }
}

void RecordJsonWriter::walk(LogFile& log, int64_t from, Walk what) {
  walk_ = what;
  for_each_line(log, from, [this](const LogLine& line) { return take_line(line); });
}

bool RecordJsonWriter::take_line(const LogLine& line) {
  if (line.at_end || !line.begins_with_space()) return false;
  if (walk_ == Walk::kArray && line.offset > repeated_->last) return false;
  if (!read_attribute_line(line, nul_free_, line_)) return true;
  const size_t index = find_name(line_.name, line.offset, walk_ == Walk::kGather);
  if (index == static_cast<size_t>(-1))
    return true;  // a line changed since by a writer ignoring the lock
  WalkName& name = walk_names_[index];
  switch (walk_) {
    case Walk::kGather:
      name.last = line.offset;
      ++name.count;
      return true;
    case Walk::kArray:
      if (&name != repeated_) return true;
      if (!first_value_) out_.append(",");
      first_value_ = false;
      write_string(line_.value);
      return true;
    case Walk::kWrite:
      break;
  }
  if (name.first != line.offset) return true;  // a later line of a repeated name
  if (written_++ != 0) out_.append(",");
  write_string(line_.name);
  out_.append(":");
  if (name.count > 1) {
    // Its array is gathered by a walk of its own once this one has stopped:
    // nothing may read the log while a walk goes on.
    repeated_ = &name;
    resume_ = line.offset + line.size;
    return false;
  }
  write_string(line_.value);
  return true;
}

void RecordJsonWriter::write_walked(const JobEntry& entry) {
  LogFile& log = *entry.log;
  nul_free_ = !log.has_nul() && log.unchanged_since_scan();
  // A table grown for a record of many names is given up, not cleared for each record after it.
  if (walk_slots_.size() > 64) walk_slots_.clear();
  std::fill(walk_slots_.begin(), walk_slots_.end(), 0);
  walk_names_.clear();
  walk_bytes_.clear();
  const int64_t body = read_line(log, entry.record_offset).size + entry.record_offset;
  walk(log, body, Walk::kGather);
  written_ = 0;
  for (int64_t from = body; written_ < walk_names_.size(); from = resume_) {
    repeated_ = nullptr;
    walk(log, from, Walk::kWrite);
    if (repeated_ == nullptr) break;
    out_.append("[");
    first_value_ = true;
    walk(log, repeated_->first, Walk::kArray);
    out_.append("]");
  }
}
