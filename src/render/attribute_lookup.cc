#include "render/attribute_lookup.h"

#include <cstdint>
#include <cstring>

#include "joblog/log_file_loops.h"

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

// Names are separated by space, tab and newline only (not by every white space).
struct DelimiterTable {
  bool is[256] = {};
  constexpr DelimiterTable() : is() {
    is[static_cast<unsigned char>(' ')] = is[static_cast<unsigned char>('\t')] = true;
    is[static_cast<unsigned char>('\n')] = true;
  }
};
constexpr DelimiterTable kDelimiters;

bool is_delimiter(char c) { return kDelimiters.is[static_cast<unsigned char>(c)]; }

}  // namespace

bool attribute_name(std::string_view line, std::string_view& name) {
  const char* p = line.data();
  const char* const end = p + line.size();
  while (p != end && is_delimiter(*p)) ++p;
  if (p == end) return false;
  const char* const start = p;
  while (p != end && !is_delimiter(*p)) ++p;
  name = std::string_view(start, static_cast<size_t>(p - start));
  return true;
}

std::string_view attribute_value(std::string_view line, std::string_view name) {
  // The value begins after the one delimiter that ended the name.
  size_t value = static_cast<size_t>(name.data() + name.size() - line.data());
  if (value < line.size()) ++value;
  while (value < line.size() && (line[value] == ' ' || line[value] == '=')) ++value;
  return clean_value(line.substr(value));
}

namespace {

// attribute_name for a line read from a log, which has kLogPieceSlack
// readable bytes after it: the name's end is looked for eight bytes at a time.
bool name_in_log_line(std::string_view line, std::string_view& name) {
#if !defined(__BYTE_ORDER__) || __BYTE_ORDER__ != __ORDER_LITTLE_ENDIAN__
  return attribute_name(line, name);  // the byte order below is the little-endian one
#endif
  const char* p = line.data();
  const char* const end = p + line.size();
  while (p != end && is_delimiter(*p)) ++p;
  if (p == end) return false;
  const char* const start = p;
  constexpr uint64_t kOnes = 0x0101010101010101u;
  constexpr uint64_t kHighs = 0x8080808080808080u;
  auto zero_bytes = [](uint64_t v) { return (v - kOnes) & ~v & kHighs; };
  for (;;) {
    uint64_t word;
    std::memcpy(&word, p, sizeof word);
    // Borrows can only mark bytes after a true match, so the lowest mark is exact.
    const uint64_t marks = zero_bytes(word ^ (kOnes * ' ')) | zero_bytes(word ^ (kOnes * '\t')) |
                           zero_bytes(word ^ (kOnes * '\n'));
    if (marks != 0) {
      p += __builtin_ctzll(marks) / 8;
      break;
    }
    p += sizeof word;
    if (p >= end) break;
  }
  if (p > end) p = end;
  name = std::string_view(start, static_cast<size_t>(p - start));
  return true;
}

}  // namespace

int WantedNames::add(std::string_view name) {
  const int found = find(name);
  if (found != kNone) return found;
  names_.emplace_back(name);
  uint64_t prefix = 0;
  std::memcpy(&prefix, name.data(), name.size() < 8 ? name.size() : 8);
  prefixes_.push_back(prefix);
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

int WantedNames::find_in_log_line(std::string_view name) const {
#if !defined(__BYTE_ORDER__) || __BYTE_ORDER__ != __ORDER_LITTLE_ENDIAN__
  return find(name);  // the prefix below is read in little-endian order
#endif
  if (name.size() >= by_length_.size()) return kNone;
  const std::vector<int>& ids = by_length_[name.size()];
  if (ids.empty()) return kNone;
  uint64_t prefix;
  std::memcpy(&prefix, name.data(), sizeof prefix);
  if (name.size() < 8) prefix &= (uint64_t{1} << (8 * name.size())) - 1;
  for (const int id : ids) {
    const size_t i = static_cast<size_t>(id);
    if (prefixes_[i] != prefix) continue;
    if (name.size() <= 8 ||
        std::memcmp(names_[i].data() + 8, name.data() + 8, name.size() - 8) == 0) {
      return id;
    }
  }
  return kNone;
}

void RecordView::read(LogFile& log, int64_t offset, const WantedNames& wanted) {
  lines_.clear();
  values_.clear();
  first_.assign(wanted.size(), npos);
  last_.assign(wanted.size(), npos);
  bool in_body = false;
  // A log in which the scan met no NUL byte needs no search for one in each line.
  const bool nul_free = !log.has_nul() && log.unchanged_since_scan();
  log.for_each_piece(offset, [&](const LogPiece& piece) {
    if (!in_body) {  // the record header line
      header_.assign(clean_value(piece.text()));
      in_body = true;
      return wanted.size() > 0;
    }
    if (piece.at_end || !piece.begins_with_space()) return false;
    const std::string_view text =
        nul_free ? std::string_view(piece.data, piece.size) : piece.text();
    std::string_view name;
    if (!name_in_log_line(text, name)) return true;
    const int id = wanted.find_in_log_line(name);
    if (id == WantedNames::kNone) return true;
    const std::string_view value = attribute_value(text, name);
    const size_t line = lines_.size();
    lines_.push_back(Line{id, values_.size(), value.size(), npos});
    values_.append(value);
    const size_t id_index = static_cast<size_t>(id);
    if (last_[id_index] == npos) {
      first_[id_index] = line;
    } else {
      lines_[last_[id_index]].next_same = line;
    }
    last_[id_index] = line;
    return true;
  });
}

size_t RecordView::find_attribute(int name_id, size_t from) const {
  // The display asks for the first line of a name, then for the one after the
  // last it got: both are kept at hand.
  if (name_id < 0 || static_cast<size_t>(name_id) >= first_.size()) return npos;
  if (from == 0) return first_[static_cast<size_t>(name_id)];
  if (from <= lines_.size() && lines_[from - 1].name_id == name_id)
    return lines_[from - 1].next_same;
  for (size_t i = from; i < lines_.size(); ++i) {
    if (lines_[i].name_id == name_id) return i;
  }
  return npos;
}
