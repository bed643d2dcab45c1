#include "render/record_json.h"

#include <algorithm>
#include <cstring>
#include <functional>

#include "joblog/log_lines.h"
#include "render/job_identifier.h"
#include "render/log_fields.h"
#include "render/value_escape.h"

namespace {

constexpr size_t kNpos = static_cast<size_t>(-1);

}  // namespace

void RecordJsonWriter::write_string(std::string_view text) {
  write_escaped(Escaping::kJson, 0, text, 0, out_);
}

size_t RecordJsonWriter::find_name(std::string_view name, int64_t offset, bool add) {
  // The table is at least twice the names it holds, so a free slot ends every search.
  if (add && 2 * (names_list_.size() + 1) > slots_.size()) {
    slots_.assign(slots_.empty() ? 64 : 2 * slots_.size(), 0);
    const size_t mask = slots_.size() - 1;
    for (size_t i = 0; i < names_list_.size(); ++i) {
      size_t at = std::hash<std::string_view>()(name_text(names_list_[i])) & mask;
      while (slots_[at] != 0) at = (at + 1) & mask;
      slots_[at] = static_cast<uint32_t>(i + 1);
    }
  }
  if (slots_.empty()) return kNpos;
  const size_t mask = slots_.size() - 1;
  for (size_t at = std::hash<std::string_view>()(name) & mask;; at = (at + 1) & mask) {
    const uint32_t slot = slots_[at];
    if (slot == 0) {
      if (!add) return kNpos;
      slots_[at] = static_cast<uint32_t>(names_list_.size() + 1);
      names_list_.push_back(Name{names_.size(), name.size(), offset, offset, 0});
      names_.append(name);
      return names_list_.size() - 1;
    }
    if (name_text(names_list_[slot - 1]) == name) return slot - 1;
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
  if (index == kNpos) return true;  // a line that a writer ignoring the lock changed since
  Name& name = names_list_[index];
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

bool RecordJsonWriter::write_in_place(LogFile& log, const JobEntry& entry) {
  const int64_t size = entry.record_end - entry.record_offset;
  if (!nul_free_ || size <= 0 || size > static_cast<int64_t>(kReadWindow / 2)) return false;
  LogFile::Bytes bytes = log.bytes_at(entry.record_offset);
  if (bytes.size < static_cast<size_t>(size)) bytes = log.window_from(entry.record_offset);
  // A record that the scan delimited ends with a newline; one that does not has changed since.
  if (bytes.size < static_cast<size_t>(size) || bytes.data[size - 1] != '\n') return false;
  const char* const end = bytes.data + size;
  // Every line after the header line is a body line: the next record's
  // header line is where the scan found the record's end.
  const char* line = static_cast<const char*>(std::memchr(bytes.data, '\n', size)) + 1;
  seen_.clear();
  for (const char* newline; line != end; line = newline + 1) {
    newline = static_cast<const char*>(std::memchr(line, '\n', end - line));
    std::string_view text(line, static_cast<size_t>(newline - line));
    if (!text.empty() && text.back() == '\r') text.remove_suffix(1);
    std::string_view name;
    if (!attribute_name(text, name)) continue;
    const size_t index = find_name(name.substr(0, kValueMax), 0, true);
    Name& seen_name = names_list_[index];
    if (seen_name.count++ == 0) seen_name.first = static_cast<int64_t>(seen_.size());
    seen_name.last = static_cast<int64_t>(seen_.size());
    seen_.push_back(Seen{index, attribute_value(text, name).substr(0, kValueMax)});
  }
  for (size_t i = 0; i < seen_.size(); ++i) {
    const Name& name = names_list_[seen_[i].name];
    if (name.first != static_cast<int64_t>(i)) continue;  // a later line of a repeated name
    if (i != 0) out_.append(",");
    write_string(name_text(name));
    out_.append(":");
    if (name.count == 1) {
      write_string(seen_[i].value);
      continue;
    }
    out_.append("[");
    for (size_t j = i; j <= static_cast<size_t>(name.last); ++j) {
      if (seen_[j].name != seen_[i].name) continue;
      if (j != i) out_.append(",");
      write_string(seen_[j].value);
    }
    out_.append("]");
  }
  return true;
}

void RecordJsonWriter::write(const JobEntry& entry) {
  LogFile& log = *entry.log;
  nul_free_ = !log.has_nul() && log.unchanged_since_scan();
  header_.read(log, entry.record_offset, no_names_, entry.record_end);
  out_.append(entry.is_job ? "{\"record\":\"job\",\"identifier\":"
                           : "{\"record\":\"document\",\"identifier\":");
  write_string(split_job_identifier(header_.header_text()).number);
  out_.append(",\"log\":");
  write_string(log_field_value(LogField::kName, entry, number_));
  out_.append(",\"stamp\":");
  write_string(log_field_value(LogField::kStamp, entry, number_));
  out_.append(",\"log_number\":");
  out_.append(log_field_value(LogField::kNumber, entry, number_));
  out_.append(",\"offset\":");
  out_.append(log_field_value(LogField::kRecordOffset, entry, number_));
  out_.append(",\"attributes\":{");

  // A table grown for a record of many names is given up, not cleared for each record after it.
  if (slots_.size() > 64) slots_.clear();
  std::fill(slots_.begin(), slots_.end(), 0);
  names_list_.clear();
  names_.clear();
  if (write_in_place(log, entry)) return out_.append("}}\n");
  const int64_t body = read_line(log, entry.record_offset).size + entry.record_offset;
  walk(log, body, Walk::kGather);
  written_ = 0;
  for (int64_t from = body; written_ < names_list_.size(); from = resume_) {
    repeated_ = nullptr;
    walk(log, from, Walk::kWrite);
    if (repeated_ == nullptr) break;
    out_.append("[");
    first_value_ = true;
    walk(log, repeated_->first, Walk::kArray);
    out_.append("]");
  }
  out_.append("}}\n");
}
