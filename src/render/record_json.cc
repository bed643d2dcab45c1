#include "render/record_json.h"

#include <algorithm>
#include <cstring>

#include "render/job_identifier.h"
#include "render/json_plain.h"
#include "render/log_fields.h"
#include "render/value_escape.h"

namespace {

// More distinct names than this and the table starts again with the next
// record: a log whose names never repeat does not keep them all.
constexpr size_t kNamesKept = 1024;

}  // namespace

void RecordJsonWriter::write_string(std::string_view text) {
  out_.append("\"");
  write_json_text(text, out_);
  out_.append("\"");
}

void RecordJsonWriter::write_key(int id, bool first, bool array) {
  const auto at = static_cast<size_t>(id);
  if (keys_.size() <= at) make_keys(at);
  std::string_view key = keys_[at];
  if (key.empty()) return write_escaped_key(id, first, array);
  if (first) key.remove_prefix(1);
  if (array) key.remove_suffix(1);
  out_.append(key);
  if (array) out_.append("[");
}

void RecordJsonWriter::note_line(std::string_view name, size_t value, size_t value_size) {
  int id = names_.find_in_log_line(name);
  if (id == WantedNames::kNone) id = names_.add(name);
  if (static_cast<size_t>(id) >= name_lines_.size()) name_lines_.resize(names_.size());
  NameLines& lines = name_lines_[static_cast<size_t>(id)];
  const auto line = static_cast<uint32_t>(lines_.size());
  if (lines.record != records_) {
    lines = NameLines{records_, line, line, 0};
  } else {
    lines_[lines.last].next = line;
  }
  lines.last = line;
  ++lines.count;
  // Field by field: a whole Line built aside and copied in stalls on the copy.
  Line& noted = lines_.emplace_back();
  noted.id = static_cast<uint32_t>(id);
  noted.value = static_cast<uint32_t>(value);
  noted.size = static_cast<uint32_t>(std::min(value_size, kValueMax));
  noted.next = 0;
}

void RecordJsonWriter::note_in_place(InPlaceRecord& record) {
  const size_t count = record.find_names();
  const char* const bytes = record.bytes();
  for (size_t i = 0; i < count; ++i) {
    const size_t name = record.name_start(i);
    const size_t name_end = record.name_end(name);
    const InPlaceRecord::Span value = record.value_after(name_end);
    note_line(std::string_view(bytes + name, std::min(name_end - name, kValueMax)), value.start,
              value.size);
  }
}

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
  if (log.has_nul() || !log.unchanged_since_scan()) return nullptr;
  const LogFile::Bytes bytes =
      delimited_record(log, entry.record_offset, entry.record_end, kReadWindow / 2);
  if (bytes.data == nullptr) return nullptr;
  const size_t size = static_cast<size_t>(entry.record_end - entry.record_offset);
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

void RecordJsonWriter::write_lines(const char* record) {
  for (uint32_t i = 0; i < lines_.size(); ++i) {
    const Line& line = lines_[i];
    const NameLines& lines = name_lines_[line.id];
    if (lines.first != i) continue;  // a later line of a repeated name
    const bool array = lines.count > 1;
    write_key(static_cast<int>(line.id), i == 0, array);
    if (!array) {
      const std::string_view value(record + line.value, line.size);
      if (!is_json_plain(value)) {
        write_json_text(value, out_);
        out_.append("\"");
        continue;
      }
      // A quoted value is followed in the record by its closing quote, which
      // then goes out with it.
      const bool quote_follows = record[line.value + line.size] == '"';
      out_.append_log_text(std::string_view(value.data(), value.size() + quote_follows));
      if (!quote_follows) out_.append("\"");
      continue;
    }
    for (uint32_t j = i;; j = lines_[j].next) {
      write_string(std::string_view(record + lines_[j].value, lines_[j].size));
      if (j == lines.last) break;
      out_.append(",");
    }
    out_.append("]");
  }
}

void RecordJsonWriter::write(const JobEntry& entry) {
  if (names_.size() > kNamesKept) {
    names_ = WantedNames();
    keys_.clear();
    name_lines_.clear();
  }
  record_.read(*entry.log, entry.record_offset, no_names_, entry.record_end);
  out_.append(entry.is_job ? "{\"record\":\"job\",\"identifier\":"
                           : "{\"record\":\"document\",\"identifier\":");
  write_string(split_job_identifier(record_.header_text()).number);
  out_.append(",\"log\":");
  write_string(log_field_value(LogField::kName, entry, number_));
  out_.append(",\"stamp\":");
  write_string(log_field_value(LogField::kStamp, entry, number_));
  out_.append(",\"log_number\":");
  out_.append(log_field_value(LogField::kNumber, entry, number_));
  out_.append(",\"offset\":");
  out_.append(log_field_value(LogField::kRecordOffset, entry, number_));
  out_.append(",\"attributes\":{");
  ++records_;
  lines_.clear();
  if (InPlaceRecord* record = record_.in_place()) {
    note_in_place(*record);
    write_lines(record->bytes());
  } else if (const char* bytes = note_in_window(entry)) {
    write_lines(bytes);
  } else {
    walked_.write(entry);
  }
  out_.append("}}\n");
}
