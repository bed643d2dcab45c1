#include "render/attribute_lookup.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

#include "joblog/byte_classes.h"
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

WantedNames::Key WantedNames::key_of(std::string_view name) {
  Key key;
  key.size = name.size();
  std::memcpy(&key.head, name.data(), std::min<size_t>(name.size(), 8));
  if (name.size() > 8) std::memcpy(&key.tail, name.data() + name.size() - 8, 8);
  if (name.size() > 16) {
    std::memcpy(&key.middle, name.data() + 8, 8);
    std::memcpy(&key.inner, name.data() + name.size() - 16, 8);
  }
  return key;
}

size_t WantedNames::home(const Key& key) const {
  const uint64_t mixed = key.head ^ (key.tail << 29 | key.tail >> 35) ^ key.size;
  return static_cast<size_t>((mixed * multiplier_) >> shift_);
}

// The slot's id when it holds `name`: the key tells names of up to 32 bytes
// apart, and the bytes between its words the longer ones.
int WantedNames::match(const Slot& slot, const Key& key, std::string_view name) const {
  if (!(slot.key == key)) return kNone;
  if (key.size > 32 && std::memcmp(names_[static_cast<size_t>(slot.id)].data() + 16,
                                   name.data() + 16, key.size - 32) != 0) {
    return kNone;
  }
  return slot.id;
}

void WantedNames::insert(const Key& key, int id) {
  size_t at = home(key);
  if (slots_[at].id != kNone) perfect_ = false;
  while (slots_[at].id != kNone) at = (at + 1) & (slots_.size() - 1);
  slots_[at] = Slot{key, id};
}

// Places every name in a table of `slots` slots (a power of two) hashed with
// `multiplier`; true when each lies in its home slot.
bool WantedNames::place_all(size_t slots, uint64_t multiplier) {
  slots_.assign(slots, Slot{});
  multiplier_ = multiplier;
  shift_ = 64 - __builtin_ctzll(slots);
  perfect_ = true;
  for (size_t id = 0; id < names_.size(); ++id) insert(key_of(names_[id]), static_cast<int>(id));
  return perfect_;
}

int WantedNames::add(std::string_view name) {
  const int found = find(name);
  if (found != kNone) return found;
  const int id = static_cast<int>(names_.size());
  names_.emplace_back(name);
  max_length_ = std::max(max_length_, name.size());
  // At most a quarter of the slots are taken. A short list is placed anew
  // until a multiplier makes the table perfect; a long one settles for a
  // good table and is placed anew only when it grows.
  const bool is_short = names_.size() <= 64;
  if (4 * names_.size() <= slots_.size()) {
    insert(key_of(name), id);
    if (perfect_ || !is_short) return id;
  }
  size_t slots = 16;
  while (slots < 4 * names_.size()) slots *= 2;
  uint64_t multiplier = 0x9e3779b97f4a7c15u;
  for (int attempt = 0; !place_all(slots, multiplier) && is_short && attempt < 16; ++attempt) {
    multiplier += 0x5851f42d4c957f2eu;  // stays odd
    if (attempt == 7) slots *= 2;
  }
  return id;
}

int WantedNames::find(std::string_view name) const {
  if (slots_.empty() || name.size() > max_length_) return kNone;
  const Key key = key_of(name);
  for (size_t at = home(key);; at = (at + 1) & (slots_.size() - 1)) {
    if (slots_[at].id == kNone) return kNone;
    const int id = match(slots_[at], key, name);
    if (id != kNone) return id;
  }
}

// Inline: the display calls it for every attribute line it reads.
inline int WantedNames::find_in_log_line(std::string_view name) const {
#if !defined(__BYTE_ORDER__) || __BYTE_ORDER__ != __ORDER_LITTLE_ENDIAN__
  return find(name);  // the words below are read in little-endian order
#endif
  if (!perfect_) return find(name);
  // The key's words are read from the name's start whatever its size, or from
  // further in a longer name, and then kept or cleared: without branches,
  // since names of every size come in any order. A name too long for the
  // table matches no key.
  const char* const at = name.data();
  const size_t size = name.size();
  const uint64_t longer_than_8 = 0 - static_cast<uint64_t>(size > 8);  // all ones or none
  const uint64_t longer_than_16 = 0 - static_cast<uint64_t>(size > 16);
  Key key;
  key.size = size;
  std::memcpy(&key.head, at, 8);
  key.head &= ~uint64_t{0} >> (64 - 8 * std::min<size_t>(size, 8));
  std::memcpy(&key.tail, at + ((size - 8) & longer_than_8), 8);
  key.tail &= longer_than_8;
  std::memcpy(&key.middle, at + (8 & longer_than_16), 8);
  key.middle &= longer_than_16;
  std::memcpy(&key.inner, at + ((size - 16) & longer_than_16), 8);
  key.inner &= longer_than_16;
  return match(slots_[home(key)], key, name);
}

namespace {

// Records up to this size that lie whole in the read window are read in
// place, their lines split by the bit masks of their bytes' classes.
constexpr size_t kInPlaceMax = size_t{16} << 10;
constexpr size_t kInPlaceWords = kInPlaceMax / 64;
constexpr size_t kInPlaceNames = kInPlaceMax / 2 + 8;  // a name needs two bytes of a line at least

// The first position in [from, limit) whose bit in `masks` is set, or clear
// when `clear`; `limit` when there is none.
template <bool clear>
size_t next_bit(const uint64_t* masks, size_t from, size_t limit) {
  if (from >= limit) return limit;
  size_t word = from / 64;
  uint64_t bits = (clear ? ~masks[word] : masks[word]) & (~uint64_t{0} << (from % 64));
  while (bits == 0) {
    if (++word * 64 >= limit) return limit;
    bits = clear ? ~masks[word] : masks[word];
  }
  const size_t found = word * 64 + static_cast<size_t>(__builtin_ctzll(bits));
  return found < limit ? found : limit;
}

// The last position in [from, before) whose bit is set; `before` when none.
size_t last_bit(const uint64_t* masks, size_t from, size_t before) {
  if (from >= before) return before;
  size_t word = (before - 1) / 64;
  uint64_t bits = masks[word] & (~uint64_t{0} >> (63 - (before - 1) % 64));
  while (bits == 0) {
    if (word * 64 <= from) return before;
    bits = masks[--word];
  }
  const size_t found = word * 64 + 63 - static_cast<size_t>(__builtin_clzll(bits));
  return found >= from ? found : before;
}

// The 64 bits of `masks` from position `at` on, as one word. The word after
// the one holding `at` must be readable.
inline uint64_t bits_from(const uint64_t* masks, size_t at) {
  const size_t word = at / 64;
  const size_t shift = at % 64;
  return masks[word] >> shift | masks[word + 1] << 1 << (63 - shift);
}

// next_bit<false>, looking first at the 63 bits from `from` (the answer, or
// `limit`, lies there in most lines), without a branch on what it finds there.
inline size_t near_bit(const uint64_t* masks, size_t from, size_t limit) {
  const size_t found =
      from + static_cast<size_t>(__builtin_ctzll(bits_from(masks, from) | uint64_t{1} << 63));
  // (Conditions joined by '&', not '&&': each half alone is unpredictable.)
  if ((found - from == 63) & (limit - from > 63)) return next_bit<false>(masks, from, limit);
  return found < limit ? found : limit;
}

// last_bit the same way: the 64 bits before `before` first.
inline size_t near_last_bit(const uint64_t* masks, size_t from, size_t before) {
  if ((from < before) & (before - from > 64)) return last_bit(masks, from, before);
  const size_t start = before >= 64 ? before - 64 : 0;
  const uint64_t bits = bits_from(masks, start) & (~uint64_t{0} >> (64 - (before - start)));
  const size_t found = start + 63 - static_cast<size_t>(__builtin_clzll(bits | 1));
  return (bits != 0) & (found >= from) ? found : before;
}

// a + b + carry, and the carry out.
uint64_t add_with_carry(uint64_t a, uint64_t b, uint64_t& carry) {
  uint64_t sum;
  const bool first = __builtin_add_overflow(a, b, &sum);
  const bool second = __builtin_add_overflow(sum, carry, &sum);
  carry = first || second;
  return sum;
}

// Appends the positions of the set bits of the word at `base`; four are
// written whatever their number, so `out` needs four places to spare.
void append_positions(uint64_t bits, uint32_t base, uint16_t* out, size_t& count) {
  uint16_t* at = out + count;
  for (int i = 0; i < 4; ++i) {
    at[i] = static_cast<uint16_t>(base + __builtin_ctzll(bits | uint64_t{1} << 63));
    count += bits != 0;
    bits &= bits - 1;
  }
  for (; bits != 0; bits &= bits - 1) {
    out[count++] = static_cast<uint16_t>(base + __builtin_ctzll(bits));
  }
}

}  // namespace

// The reading below for a record that the scan delimited and that lies whole
// in the read window of a log without NUL bytes. The classes of all its bytes
// are found with vector compares; then where every attribute name begins and
// ends is worked out for 64 bytes at a time, with additions whose carries
// run through the blanks before a name and through the name itself. False
// when the record does not qualify.
bool RecordView::read_in_place(LogFile& log, int64_t offset, int64_t end,
                               const WantedNames& wanted) {
  if (end <= offset || end - offset > static_cast<int64_t>(kInPlaceMax)) return false;
  const size_t size = static_cast<size_t>(end - offset);
  LogFile::Bytes bytes = log.bytes_at(offset);
  if (bytes.size < size) bytes = log.window_from(offset);
  // A record delimited by the scan ends with a newline; one that does not has
  // changed since.
  if (bytes.size < size || bytes.data[size - 1] != '\n') return false;
  const char* const record = bytes.data;
  values_base_ = record;
  // Each mask has a word to spare past the record's, for bits_from. Cleared
  // once: the spare words hold only bits of earlier records, past the end.
  constexpr size_t kWords = kInPlaceWords + 1;
  if (!work_) work_.reset(new uint64_t[5 * kWords + kInPlaceNames / 4 + 1]());
  uint64_t* const masks = work_.get();
  const RecordClasses classes{masks, masks + kWords, masks + 2 * kWords, masks + 3 * kWords,
                              masks + 4 * kWords};
  classify_record(record, size, bytes.size, classes);

  // Each line's text ends at its newline, or at one carriage return before it.
  auto text_end = [record](size_t start, size_t newline) {
    return newline > start && record[newline - 1] == '\r' ? newline - 1 : newline;
  };
  const size_t header_end = next_bit<false>(classes.newlines, 0, size);
  read_header(std::string_view(record, text_end(0, header_end)));
  if (wanted.size() == 0) return true;

  // Names begin after the blanks that begin a line (a carriage return before
  // the newline counts as one: it is not part of the text) and end at a
  // blank or a line end. The header line is no attribute line: no newline
  // comes before it, so it has no line start bit. The blanks are replaced by
  // these delimiters as they are worked out.
  uint64_t* const delimiters = classes.blanks;
  uint16_t* const starts = reinterpret_cast<uint16_t*>(masks + 5 * kWords);
  size_t count = 0;
  const size_t words = (size + 63) / 64;
  uint64_t line_carry = 0, run_carry = 0;
  for (size_t w = 0; w < words; ++w) {
    const uint64_t newlines = classes.newlines[w];
    const uint64_t next_newline = w + 1 < words ? classes.newlines[w + 1] & 1 : 0;
    const uint64_t line_ends = classes.returns[w] & (newlines >> 1 | next_newline << 63);
    const uint64_t blanks = classes.blanks[w] | line_ends;
    delimiters[w] = blanks | newlines;
    uint64_t line_starts = newlines << 1 | line_carry;
    line_carry = newlines >> 63;
    if (w == words - 1 && size % 64 != 0) line_starts &= (uint64_t{1} << (size % 64)) - 1;
    const uint64_t names = add_with_carry(blanks, line_starts, run_carry) & ~delimiters[w];
    append_positions(names, static_cast<uint32_t>(64 * w), starts, count);
  }
  delimiters[words] = ~uint64_t{0};

  for (size_t i = 0; i < count; ++i) {
    const size_t name = starts[i];
    const size_t name_end = near_bit(delimiters, name, size);
    const int id = wanted.find_in_log_line(std::string_view(record + name, name_end - name));
    if (id == WantedNames::kNone) continue;
    const size_t text = text_end(name, near_bit(classes.newlines, name_end, size));
    // As attribute_value: past the delimiter after the name, spaces and '='
    // skipped, then between the first and the last double quote if two.
    const size_t after = name_end < text ? name_end + 1 : name_end;
    const uint64_t not_fillers = ~bits_from(classes.fillers, after);
    size_t value = not_fillers != 0 ? after + static_cast<size_t>(__builtin_ctzll(not_fillers))
                                    : next_bit<true>(classes.fillers, after, text);
    value = std::min(value, text);
    // Quoted or not, chosen without a branch (a log writes both).
    const size_t first_quote = near_bit(classes.quotes, value, text);
    const size_t last_quote = near_last_bit(classes.quotes, first_quote, text);
    const bool quoted = last_quote != first_quote && first_quote != text;
    value = quoted ? first_quote + 1 : value;
    const size_t value_end = quoted ? last_quote : text;
    keep(id, value, std::min(value_end - value, kValueMax));
  }
  return true;
}

void RecordView::read(LogFile& log, int64_t offset, const WantedNames& wanted, int64_t end) {
  lines_.clear();
  values_.clear();
  first_.assign(wanted.size(), npos);
  last_.assign(wanted.size(), npos);
  // A log in which the scan met no NUL byte needs no search for one in each line.
  const bool nul_free = !log.has_nul() && log.unchanged_since_scan();
  if (nul_free && read_in_place(log, offset, end, wanted)) return;
  bool in_body = false;
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
      keep_copy(id, attribute_value(text, name).substr(0, kValueMax));
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
    keep_copy(id, text.substr(value.start, at_most(value.size, kValueMax), scratch_));
    return true;
  });
  values_base_ = values_.data();
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
