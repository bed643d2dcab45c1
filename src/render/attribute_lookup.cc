#include "render/attribute_lookup.h"

#include <cstdint>
#include <cstring>

#include "joblog/log_lines.h"

namespace {

constexpr std::string_view kNameDelimiters = " \t\n";

struct Span {
  int64_t start;
  int64_t size;
};

// The value text from `from` on: between its first and last double quote when
// it holds two or more, else all of it.
Span clean_span(const LineText& text, int64_t from) {
  const int64_t first = text.find('"', from);
  if (first != LineText::npos) {
    const int64_t last = text.rfind('"');
    if (last != first) return {first + 1, last - first - 1};
  }
  return {from, text.size() - from};
}

// The value of an attribute line whose name ends at `name_end`.
Span value_span(const LineText& text, int64_t name_end) {
  const int64_t after = name_end < text.size() ? name_end + 1 : name_end;
  const int64_t value = text.find_first_not_of(" =", after);
  return clean_span(text, value == LineText::npos ? text.size() : value);
}

std::string_view part(std::string_view text, Span span) {
  return text.substr(static_cast<size_t>(span.start), static_cast<size_t>(span.size));
}

int64_t at_most(int64_t size, size_t bound) {
  return size < static_cast<int64_t>(bound) ? size : static_cast<int64_t>(bound);
}

}  // namespace

std::string_view clean_value(std::string_view text) { return part(text, clean_span(text, 0)); }

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
  return part(line, value_span(line, name.data() + name.size() - line.data()));
}

namespace {

// attribute_name for a line held in the read window, which has kLineSlack
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
  if (name.size() >= by_length_.size()) by_length_.resize(name.size() + 1);
  by_length_[name.size()].push_back(id);
  return id;
}

int WantedNames::find(std::string_view name) const {
  if (name.size() >= by_length_.size()) return kNone;  // longer than any wanted name
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
  for_each_line(log, offset, [&](const LogLine& line) {
    if (!in_body) {  // the record header line
      read_header(line.text(nul_free));
      in_body = true;
      return wanted.size() > 0;
    }
    if (line.at_end || !line.begins_with_space()) return false;
    if (line.data != nullptr) {
      const std::string_view text = line.in_place_text(nul_free);
      std::string_view name;
      if (!name_in_log_line(text, name)) return true;
      const int id = wanted.find_in_log_line(name);
      if (id == WantedNames::kNone) return true;
      keep(id, attribute_value(text, name).substr(0, kValueMax));
      return true;
    }
    // A line longer than the read window: the same rules, read by position.
    const LineText text = line.text();
    const int64_t start = text.find_first_not_of(kNameDelimiters, 0);
    if (start == LineText::npos) return true;
    int64_t end = text.find_first_of(kNameDelimiters, start);
    if (end == LineText::npos) end = text.size();
    if (end - start > static_cast<int64_t>(wanted.max_length())) return true;
    const int id = wanted.find(text.substr(start, end - start, scratch_));
    if (id == WantedNames::kNone) return true;
    const Span value = value_span(text, end);
    keep(id, text.substr(value.start, at_most(value.size, kValueMax), scratch_));
    return true;
  });
}

void RecordView::read_header(const LineText& text) {
  // The identifier comes from the whole line: the digits and dots at the end
  // of its value text are the number, the text before the character before
  // them the prefix. Only these parts are kept, each within the value bound.
  const Span cleaned = clean_span(text, 0);
  const int64_t end = cleaned.start + cleaned.size;
  const int64_t split = text.find_last_not_of("0123456789.", end);
  header_.clear();
  if (split < cleaned.start) {  // no split character (npos included): all is the number
    header_.append(text.substr(cleaned.start, at_most(cleaned.size, kValueMax), scratch_));
    return;
  }
  header_.append(text.substr(cleaned.start, at_most(split - cleaned.start, kValueMax), scratch_));
  header_.append(text.substr(split, 1, scratch_));
  header_.append(text.substr(split + 1, at_most(end - split - 1, kValueMax), scratch_));
}

void RecordView::keep(int name_id, std::string_view value) {
  const size_t line = lines_.size();
  lines_.push_back(Line{name_id, values_.size(), value.size(), npos});
  values_.append(value);
  const size_t id = static_cast<size_t>(name_id);
  if (last_[id] == npos) {
    first_[id] = line;
  } else {
    lines_[last_[id]].next_same = line;
  }
  last_[id] = line;
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
