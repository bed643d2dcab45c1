#include "render/record_json.h"

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

void RecordJsonWriter::gather_names(LogFile& log, int64_t body, bool nul_free) {
  // Cleared slot by slot: a table grown by one large record costs no more later.
  for (uint32_t& slot : slots_) slot = 0;
  names_list_.clear();
  names_.clear();
  for_each_line(log, body, [&](const LogLine& line) {
    if (line.at_end || !line.begins_with_space()) return false;
    if (!read_attribute_line(line, nul_free, line_)) return true;
    Name& name = names_list_[find_name(line_.name, line.offset, true)];
    name.last = line.offset;
    ++name.count;
    return true;
  });
}

void RecordJsonWriter::write_array(LogFile& log, const Name& name, bool nul_free) {
  out_.append("[");
  const std::string_view wanted = name_text(name);
  bool first = true;
  for_each_line(log, name.first, [&](const LogLine& line) {
    if (line.offset > name.last) return false;
    if (read_attribute_line(line, nul_free, line_) && line_.name == wanted) {
      if (!first) out_.append(",");
      first = false;
      write_string(line_.value);
    }
    return true;
  });
  out_.append("]");
}

void RecordJsonWriter::write(const JobEntry& entry) {
  LogFile& log = *entry.log;
  const bool nul_free = !log.has_nul() && log.unchanged_since_scan();
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

  const int64_t body = read_line(log, entry.record_offset).size + entry.record_offset;
  gather_names(log, body, nul_free);
  // The lines once more, a stretch at a time: a repeated name's array is
  // gathered from its lines between two stretches, since nothing may read
  // the log while a stretch is walked.
  size_t written = 0;
  for (int64_t from = body; written < names_list_.size();) {
    const Name* repeated = nullptr;
    for_each_line(log, from, [&](const LogLine& line) {
      if (line.at_end || !line.begins_with_space()) return false;
      if (!read_attribute_line(line, nul_free, line_)) return true;
      const size_t index = find_name(line_.name, line.offset, false);
      const Name& name = names_list_[index];
      if (name.first != line.offset) return true;  // a later line of a repeated name
      if (written++ != 0) out_.append(",");
      write_string(line_.name);
      out_.append(":");
      if (name.count > 1) {
        repeated = &name;
        from = line.offset + line.size;
        return false;
      }
      write_string(line_.value);
      return true;
    });
    if (repeated == nullptr) break;
    write_array(log, *repeated, nul_free);
  }
  out_.append("}}\n");
}
