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

// A value's opening quote, with 32 bytes to spare after it.
constexpr char kQuote[33] = "\"";

// Copies `size` bytes 32 at a time, the last move running on past them:
// `from` has 32 bytes to spare after them, and `to` is a place the output
// channel reserved, which has as many.
inline void copy_padded(char* to, const char* from, size_t size) {
  std::memcpy(to, from, 32);
  for (size_t at = 32; at < size; at += 32) std::memcpy(to + at, from + at, 32);
}

}  // namespace

void RecordJsonWriter::write_string(std::string_view text) {
  write_escaped(Escaping::kJson, 0, text, 0, out_);
}

void RecordJsonWriter::write_key(int id, bool first, bool array) {
  const auto at = static_cast<size_t>(id);
  const NameLines& key = names_of_ids_[at];
  if (key.key_size == 0) return write_escaped_key(id, first, array);
  std::string_view text(key_bytes_.data() + key.key_at, key.key_size);
  if (first) text.remove_prefix(1);
  if (array) text.remove_suffix(1);
  out_.append(text);
  if (array) out_.append("[");
}

bool RecordJsonWriter::write_plain(const char* head, size_t head_size, const char* value,
                                   size_t size, size_t tail_size) {
  // The value lies in the read window, which has 32 bytes to spare after it.
  if (!out_.log_text_as_is() || !is_json_plain_padded(value, size)) return false;
  char* const to = out_.reserve(head_size + size + 2);
  copy_padded(to, head, head_size);
  copy_padded(to + head_size, value, size);
  std::memcpy(to + head_size + size, "\",", 2);
  out_.commit(head_size + size + tail_size);
  return true;
}

void RecordJsonWriter::note_line(std::string_view name, size_t value, size_t value_size) {
  int id = names_.find_in_log_line(name);
  if (id == WantedNames::kNone) id = add_name(name);
  NameLines& lines = names_of_ids_[static_cast<size_t>(id)];
  const auto line = static_cast<uint32_t>(lines_.size());
  const bool later = lines.record == records_;
  if (later) lines_[lines.last].next = line;
  lines.record = records_;
  lines.last = line;
  // Field by field: a whole Line built aside and copied in stalls on the copy.
  Line& noted = lines_.emplace_back();
  noted.id = static_cast<uint32_t>(id);
  noted.later = later;
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

int RecordJsonWriter::add_name(std::string_view name) {
  const int id = names_.add(name);
  NameLines& added = names_of_ids_.emplace_back();
  added.key_at = static_cast<uint32_t>(key_bytes_.size());
  // Written without a further look, so neither DEL, which a terminal shows
  // as '?', nor anything to escape.
  if (is_json_plain(name) && name.find('\x7f') == std::string_view::npos) {
    key_bytes_.append(",\"").append(name).append("\":\"").append(32, '\0');
    added.key_size = static_cast<uint32_t>(name.size() + 5);
  }
  return id;
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
    if (line.later) continue;  // written in its name's array
    const bool first = i == 0;
    const bool array = line.next != 0;
    const NameLines& key = names_of_ids_[line.id];
    if (!array) {
      // `,"name":"value"`, the key with the comma and the opening quote.
      if (key.key_size != 0 &&
          write_plain(key_bytes_.data() + key.key_at + first, key.key_size - first,
                      record + line.value, line.size, 1)) {
        continue;
      }
      write_key(static_cast<int>(line.id), first, false);
      write_json_text(std::string_view(record + line.value, line.size), out_);
      out_.append("\"");
      continue;
    }
    write_key(static_cast<int>(line.id), first, true);
    // `"value",` for each, but the last without its comma. The next line of
    // a name is never the record's first: 0 ends the array.
    uint32_t j = i;
    do {
      const Line& element = lines_[j];
      j = element.next;
      if (!write_plain(kQuote, 1, record + element.value, element.size, j != 0 ? 2 : 1)) {
        write_string(std::string_view(record + element.value, element.size));
        if (j != 0) out_.append(",");
      }
    } while (j != 0);
    out_.append("]");
  }
}

void RecordJsonWriter::make_log_part(const JobEntry& entry) {
  log_part_name_ = entry.log->name();
  log_part_stamp_ = entry.log->stamp();
  log_part_number_ = entry.log_number;
  std::string scratch;
  OutputChannel part;
  part.gather_into(&log_part_, out_);
  log_part_.clear();
  part.append(",\"log\":\"");
  write_json_text(log_part_name_, part);
  part.append("\",\"stamp\":\"");
  write_json_text(log_part_stamp_, part);
  part.append("\",\"log_number\":");
  part.append(log_field_value(LogField::kNumber, entry, scratch));
  part.append(",\"offset\":");
  part.flush();
}

void RecordJsonWriter::write(const JobEntry& entry) {
  if (names_.size() > kNamesKept) {
    names_ = WantedNames();
    key_bytes_.clear();
    names_of_ids_.clear();
  }
  record_.read(*entry.log, entry.record_offset, no_names_, entry.record_end);
  out_.append(entry.is_job ? "{\"record\":\"job\",\"identifier\":"
                           : "{\"record\":\"document\",\"identifier\":");
  write_string(split_job_identifier(record_.header_text()).number);
  if (log_part_.empty() || entry.log_number != log_part_number_ ||
      log_part_name_ != entry.log->name() || log_part_stamp_ != entry.log->stamp()) {
    make_log_part(entry);
  }
  out_.append(log_part_);
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
