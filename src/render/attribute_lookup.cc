#include "render/attribute_lookup.h"

#include <cstring>

std::string_view clean_value(std::string_view text) {
  const size_t first = text.find('"');
  const size_t last = text.rfind('"');
  if (first != std::string_view::npos && last != first) {
    return text.substr(first + 1, last - first - 1);
  }
  const size_t newline = text.rfind('\n');
  return newline == std::string_view::npos ? text : text.substr(0, newline);
}

namespace {
bool is_delimiter(char c) { return c == ' ' || c == '\t' || c == '\n'; }
}  // namespace

bool split_attribute_line(std::string_view line, AttributeLine& out) {
  size_t start = 0;
  while (start < line.size() && is_delimiter(line[start])) ++start;
  if (start == line.size()) return false;
  size_t end = start;
  while (end < line.size() && !is_delimiter(line[end])) ++end;
  out.name = line.substr(start, end - start);
  // The value begins after the one delimiter that ended the name.
  size_t value = end < line.size() ? end + 1 : end;
  while (value < line.size() && (line[value] == ' ' || line[value] == '=')) ++value;
  out.value = clean_value(line.substr(value));
  return true;
}

int WantedNames::add(std::string_view name) {
  const int found = find(name);
  if (found != kNone) return found;
  names_.emplace_back(name);
  const int id = static_cast<int>(names_.size() - 1);
  if (name.size() < by_length_.size()) by_length_[name.size()].push_back(id);
  return id;
}

int WantedNames::find(std::string_view name) const {
  if (name.size() >= by_length_.size()) return kNone;  // longer than any line could hold
  for (const int id : by_length_[name.size()]) {
    if (std::memcmp(names_[static_cast<size_t>(id)].data(), name.data(), name.size()) == 0) {
      return id;
    }
  }
  return kNone;
}

void RecordView::read(LogFile& log, int64_t offset, const WantedNames& wanted) {
  lines_.clear();
  values_.clear();
  const LogPiece header = log.read_piece(offset);
  header_.assign(clean_value(header.text()));
  int64_t position = offset + static_cast<int64_t>(header.size);
  if (wanted.size() == 0) return;
  for (;;) {
    const LogPiece piece = log.read_piece(position);
    if (piece.at_end || !piece.begins_with_space()) return;
    position += static_cast<int64_t>(piece.size);
    AttributeLine line;
    if (!split_attribute_line(piece.text(), line)) continue;
    const int id = wanted.find(line.name);
    if (id == WantedNames::kNone) continue;
    lines_.push_back(Line{id, values_.size(), line.value.size()});
    values_.append(line.value);
  }
}

size_t RecordView::find_attribute(int name_id, size_t from) const {
  for (size_t i = from; i < lines_.size(); ++i) {
    if (lines_[i].name_id == name_id) return i;
  }
  return npos;
}
