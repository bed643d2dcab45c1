#include "render/attribute_lookup.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

#include "joblog/log_lines.h"
#include "render/in_place_record.h"

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

RecordView::RecordView() = default;
RecordView::~RecordView() = default;

// A record read in place keeps every wanted line, its values in the read window.
bool RecordView::read_in_place(LogFile& log, int64_t offset, int64_t end,
                               const WantedNames& wanted) {
  if (!work_) work_.reset(new InPlaceRecord());
  InPlaceRecord& record = *work_;
  if (!record.load(log, offset, end)) return false;
  values_base_ = record.bytes();
  read_header(record.header_line());
  if (wanted.size() == 0) return true;
  const size_t count = record.find_names();
  for (size_t i = 0; i < count; ++i) {
    const size_t name = record.name_start(i);
    const size_t name_end = record.name_end(name);
    const int id =
        wanted.find_in_log_line(std::string_view(record.bytes() + name, name_end - name));
    if (id == WantedNames::kNone) continue;
    const InPlaceRecord::Span value = record.value_after(name_end);
    keep(id, value.start, std::min(value.size, kValueMax));
  }
  return true;
}

void RecordView::read(LogFile& log, int64_t offset, const WantedNames& wanted, int64_t end) {
  lines_.clear();
  values_.clear();
  first_.assign(wanted.size(), npos);
  last_.assign(wanted.size(), npos);
  log_ = &log;
  offset_ = offset;
  wanted_ = &wanted;
  // A log in which the scan met no NUL byte needs no search for one in each line.
  nul_free_ = !log.has_nul() && log.unchanged_since_scan();
  kept_all_ = nul_free_ && read_in_place(log, offset, end, wanted);
  if (kept_all_) return;
  more_after_first_.assign(wanted.size(), false);
  read_lines(WantedNames::kNone, nullptr);
  values_base_ = values_.data();
}

// The one walk over the record's lines: read() keeps its header and the first
// value of each wanted name; for_each_value hands each value of `only` to
// `write` instead.
void RecordView::read_lines(int only, const std::function<void(std::string_view)>* write) {
  bool in_body = false;
  for_each_line(*log_, offset_, [&](const LogLine& line) {
    if (!in_body) {  // the record header line
      if (write == nullptr) read_header(line.text(nul_free_));
      in_body = true;
      return wanted_->size() > 0;
    }
    if (line.at_end || !line.begins_with_space()) return false;
    std::string_view value;
    const int id = line_value(line, nul_free_, *wanted_, value);
    if (id == WantedNames::kNone) return true;
    if (write != nullptr) {
      if (id == only) (*write)(value);
    } else if (first_[static_cast<size_t>(id)] == npos) {
      keep_copy(id, value);
    } else {
      more_after_first_[static_cast<size_t>(id)] = true;
    }
    return true;
  });
}

int RecordView::line_value(const LogLine& line, bool nul_free, const WantedNames& wanted,
                           std::string_view& value) {
  if (line.data != nullptr) {
    const std::string_view text = line.in_place_text(nul_free);
    std::string_view name;
    if (!name_in_log_line(text, name)) return WantedNames::kNone;
    const int id = wanted.find_in_log_line(name);
    if (id != WantedNames::kNone) value = attribute_value(text, name).substr(0, kValueMax);
    return id;
  }
  // A line longer than the read window: the same rules, read by position.
  const LineText text = line.text();
  const int64_t start = text.find_first_not_of(kNameDelimiters, 0);
  if (start == LineText::npos) return WantedNames::kNone;
  int64_t end = text.find_first_of(kNameDelimiters, start);
  if (end == LineText::npos) end = text.size();
  if (end - start > static_cast<int64_t>(wanted.max_length())) return WantedNames::kNone;
  const int id = wanted.find(text.substr(start, end - start, scratch_));
  if (id == WantedNames::kNone) return id;
  const Span span = value_span(text, end);
  value = text.substr(span.start, at_most(span.size, kValueMax), scratch_);
  return id;
}

void RecordView::for_each_value(int name_id, const std::function<void(std::string_view)>& write) {
  const size_t first = find_attribute(name_id);
  if (first == npos) return;
  if (kept_all_ || !more_after_first_[static_cast<size_t>(name_id)]) {
    for (size_t line = first; line != npos; line = find_attribute(name_id, line + 1)) {
      write(value(line));
    }
    return;
  }
  read_lines(name_id, &write);
}

bool read_attribute_line(const LogLine& line, bool nul_free, AttributeLine& out) {
  if (line.data != nullptr) {
    const std::string_view text = line.in_place_text(nul_free);
    if (!attribute_name(text, out.name)) return false;
    out.value = attribute_value(text, out.name).substr(0, kValueMax);
    out.name = out.name.substr(0, kValueMax);
    return true;
  }
  const LineText text = line.text();
  const int64_t start = text.find_first_not_of(kNameDelimiters, 0);
  if (start == LineText::npos) return false;
  int64_t end = text.find_first_of(kNameDelimiters, start);
  if (end == LineText::npos) end = text.size();
  out.name = text.substr(start, at_most(end - start, kValueMax), out.name_bytes);
  const Span value = value_span(text, end);
  out.value = text.substr(value.start, at_most(value.size, kValueMax), out.value_bytes);
  return true;
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

void RecordView::keep(int name_id, size_t start, size_t size) {
  const size_t line = lines_.size();
  lines_.push_back(Line{name_id, start, size, npos});
  // Linked to the name's last line, or as its first; chosen without a branch,
  // since first and later lines of a name come in any order.
  const size_t id = static_cast<size_t>(name_id);
  const size_t last = last_[id];
  size_t* const link = last == npos ? &first_[id] : &lines_[last].next_same;
  *link = line;
  last_[id] = line;
}

void RecordView::keep_copy(int name_id, std::string_view value) {
  keep(name_id, values_.size(), value.size());
  values_.append(value);
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
