#include "render/walked_record_json.h"

#include <algorithm>
#include <cstring>
#include <functional>

#include "joblog/log_lines.h"
#include "render/value_escape.h"

namespace {

constexpr size_t kKeptMax = size_t{1} << 20;

}  // namespace

void WalkedRecordJson::write_string(std::string_view text) {
  write_escaped(Escaping::kJson, 0, text, 0, out_);
}

size_t WalkedRecordJson::find_name(std::string_view name, int64_t offset, bool add) {
  constexpr size_t kNone = static_cast<size_t>(-1);
  // The table is at least twice the names it holds, so a free slot ends every search.
  if (add && 2 * (names_.size() + 1) > slots_.size()) {
    slots_.assign(slots_.empty() ? 64 : 2 * slots_.size(), 0);
    const size_t mask = slots_.size() - 1;
    for (size_t i = 0; i < names_.size(); ++i) {
      size_t at = std::hash<std::string_view>()(name_text(names_[i])) & mask;
      while (slots_[at] != 0) at = (at + 1) & mask;
      slots_[at] = static_cast<uint32_t>(i + 1);
    }
  }
  if (slots_.empty()) return kNone;
  const size_t mask = slots_.size() - 1;
  for (size_t at = std::hash<std::string_view>()(name) & mask;; at = (at + 1) & mask) {
    const uint32_t slot = slots_[at];
    if (slot == 0) {
      if (!add) return kNone;
      slots_[at] = static_cast<uint32_t>(names_.size() + 1);
      names_.push_back(Name{bytes_.size(), name.size(), offset, offset, 0, kNotKept});
      bytes_.append(name);
      return names_.size() - 1;
    }
    if (name_text(names_[slot - 1]) == name) return slot - 1;
  }
}

void WalkedRecordJson::walk(LogFile& log, int64_t from, Walk what) {
  walk_ = what;
  for_each_line(log, from, [this](const LogLine& line) { return take_line(line); });
}

bool WalkedRecordJson::take_line(const LogLine& line) {
  if (line.at_end || !line.begins_with_space()) return false;
  if (walk_ == Walk::kArray && line.offset > repeated_->last && line.offset > kept_last_ &&
      line.offset >= kept_before_) {
    return false;
  }
  if (!read_attribute_line(line, nul_free_, line_)) return true;
  const size_t index = find_name(line_.name, line.offset, walk_ == Walk::kGather);
  if (index == static_cast<size_t>(-1))
    return true;  // a line changed since by a writer ignoring the lock
  Name& name = names_[index];
  switch (walk_) {
    case Walk::kGather:
      name.last = line.offset;
      ++name.count;
      return true;
    case Walk::kArray:
      if (&name != repeated_) {
        keep_value(index, line.offset);
        return true;
      }
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
  if (name.count > 1 && name.kept != kNotKept) {
    write_kept(kept_values_[name.kept]);
    return true;
  }
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

void WalkedRecordJson::start_keeping() {
  // The arrays kept by the walk before have all been written: they belong to
  // names whose first lines come before the name this walk is for.
  for (const size_t index : kept_names_) names_[index].kept = kNotKept;
  kept_names_.clear();
  kept_values_.clear();
  kept_bytes_ = 0;
  kept_before_ = INT64_MAX;
  kept_last_ = 0;
}

void WalkedRecordJson::keep_value(size_t index, int64_t offset) {
  Name& name = names_[index];
  // Only repeated names whose arrays are still to be written.
  if (name.count < 2 || name.first <= repeated_->first) return;
  if (name.first == offset && offset < kept_before_) {
    name.kept = kept_values_.size();
    kept_names_.push_back(index);
    kept_values_.emplace_back();
    kept_last_ = std::max(kept_last_, name.last);
  }
  if (name.kept == kNotKept) return;
  const auto size = static_cast<uint32_t>(line_.value.size());
  std::string& values = kept_values_[name.kept];
  values.append(reinterpret_cast<const char*>(&size), sizeof size).append(line_.value);
  kept_bytes_ += sizeof size + size;
  while (kept_bytes_ > kKeptMax) {
    Name& last = names_[kept_names_.back()];
    kept_bytes_ -= kept_values_.back().size();
    kept_before_ = last.first;
    last.kept = kNotKept;
    kept_names_.pop_back();
    kept_values_.pop_back();
  }
}

void WalkedRecordJson::write_kept(const std::string& values) {
  out_.append("[");
  for (size_t at = 0; at < values.size();) {
    uint32_t size;
    std::memcpy(&size, values.data() + at, sizeof size);
    if (at != 0) out_.append(",");
    write_string(std::string_view(values.data() + at + sizeof size, size));
    at += sizeof size + size;
  }
  out_.append("]");
}

void WalkedRecordJson::write(const JobEntry& entry) {
  LogFile& log = *entry.log;
  nul_free_ = !log.has_nul() && log.unchanged_since_scan();
  // A table grown for a record of many names is given up, not cleared for each record after it.
  if (slots_.size() > 64) slots_.clear();
  std::fill(slots_.begin(), slots_.end(), 0);
  names_.clear();
  bytes_.clear();
  const int64_t body = read_line(log, entry.record_offset).size + entry.record_offset;
  walk(log, body, Walk::kGather);
  written_ = 0;
  for (int64_t from = body; written_ < names_.size(); from = resume_) {
    repeated_ = nullptr;
    walk(log, from, Walk::kWrite);
    if (repeated_ == nullptr) break;
    out_.append("[");
    first_value_ = true;
    start_keeping();
    walk(log, repeated_->first, Walk::kArray);
    out_.append("]");
  }
}
