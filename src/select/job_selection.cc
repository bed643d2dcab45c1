#include "select/job_selection.h"

#include <fnmatch.h>
#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include <climits>
#include <cstring>
#include <system_error>
#include <thread>

#include "platform/generalized_time.h"
#include "platform/processors.h"
#include "render/job_identifier.h"

namespace {

constexpr std::string_view kIdentifierName = "job-identifier";

// Bytes that every text the pattern matches holds: its longest run of plain
// characters before any '[' or backslash (whose reach is not worth working
// out here). Empty when there is none.
std::string needle_of(std::string_view pattern) {
  std::string_view longest;
  size_t run = 0;
  for (size_t i = 0; i <= pattern.size(); ++i) {
    const char c = i < pattern.size() ? pattern[i] : '*';
    if (c == '*' || c == '?' || c == '[' || c == '\\') {
      if (i - run > longest.size()) longest = pattern.substr(run, i - run);
      if (c == '[' || c == '\\') break;
      run = i + 1;
    }
  }
  return std::string(longest);
}

// Below this many records, one thread decides them all. 0 until the first
// decision or a test sets it.
size_t halves_min = 0;

}  // namespace

bool is_match_text(std::string_view text) {
  const size_t equals = text.find('=');
  return equals != text.npos && equals > 0;
}

bool JobSelection::add_match(std::string_view text) {
  if (!is_match_text(text)) return false;
  const std::string_view name = text.substr(0, text.find('='));
  const std::string_view pattern = text.substr(name.size() + 1);
  Name* known = nullptr;
  for (Name& other : names_) {
    if (other.name == name) known = &other;
  }
  if (known == nullptr) {
    const bool is_identifier = name == kIdentifierName;
    const LogField log_field = log_field_named(name);
    const int id =
        is_identifier || log_field != LogField::kNone ? WantedNames::kNone : wanted_.add(name);
    known = &names_.emplace_back(Name{std::string(name), id, is_identifier, log_field, {}, {}});
  }
  known->patterns.emplace_back(pattern);
  // A log field's value is not among the record's bytes.
  known->needles.push_back(
      Needle{known->log_field != LogField::kNone ? std::string() : needle_of(pattern)});
  return true;
}

bool JobSelection::Needle::found_in(const char* data, size_t size) const {
  const size_t length = bytes.size();
  if (length == 0) return true;
  if (length > size) return false;
  const char first = bytes[0];
  const char last = bytes[length - 1];
  const size_t starts = size - length + 1;  // places where the needle may begin
  size_t at = 0;
#if defined(__SSE2__)
  // Sixteen places at a time: where both the first and the last byte agree.
  const __m128i firsts = _mm_set1_epi8(first);
  const __m128i lasts = _mm_set1_epi8(last);
  for (; at + 16 <= starts; at += 16) {
    const __m128i head = _mm_loadu_si128(reinterpret_cast<const __m128i*>(data + at));
    const __m128i tail = _mm_loadu_si128(reinterpret_cast<const __m128i*>(data + at + length - 1));
    unsigned mask = static_cast<unsigned>(_mm_movemask_epi8(
        _mm_and_si128(_mm_cmpeq_epi8(head, firsts), _mm_cmpeq_epi8(tail, lasts))));
    for (; mask != 0; mask &= mask - 1) {
      const size_t place = at + static_cast<size_t>(__builtin_ctz(mask));
      if (std::memcmp(data + place, bytes.data(), length) == 0) return true;
    }
  }
#endif
  for (; at < starts; ++at) {
    if (data[at] == first && data[at + length - 1] == last &&
        std::memcmp(data + at, bytes.data(), length) == 0) {
      return true;
    }
  }
  return false;
}

void JobSelection::want_times() {
  completion_id_ = wanted_.add("completion-time");
  submission_id_ = wanted_.add("submission-time");
}

void JobSelection::set_since(int64_t seconds) {
  want_times();
  has_since_ = true;
  since_ = seconds;
}

void JobSelection::set_until(int64_t seconds) {
  want_times();
  has_until_ = true;
  until_ = seconds;
}

// A value is a piece of its record's bytes, so a record that lacks the
// needles of every pattern of a name cannot match it. Most records of a
// narrow selection are passed over this way, without being read line by line.
bool JobSelection::may_match(const JobEntry& entry) const {
  if (entry.record_end < entry.record_offset) return true;
  const size_t size = static_cast<size_t>(entry.record_end - entry.record_offset);
  const LogFile::Bytes bytes = entry.log->bytes_at(entry.record_offset);
  // Only a record that lies whole in the window, up to the newline that ends
  // it as the scan found it, holds every line the record's reading would see.
  if (bytes.size < size || bytes.data[size - 1] != '\n') return true;
  for (const Name& name : names_) {
    bool found = false;
    for (const Needle& needle : name.needles) {
      if ((found = needle.found_in(bytes.data, size))) break;
    }
    if (!found) return false;
  }
  return true;
}

bool JobSelection::matches_value(const Name& name, std::string_view value, std::string& text) {
  // A NUL byte ends what a line says, so a value never holds one.
  text.assign(value);
  for (const std::string& pattern : name.patterns) {
    if (fnmatch(pattern.c_str(), text.c_str(), 0) == 0) return true;
  }
  return false;
}

bool JobSelection::matches(const Name& name, Work& work) {
  if (name.is_identifier) {
    return matches_value(name, split_job_identifier(work.record.header_text()).number, work.text);
  }
  if (name.log_field != LogField::kNone) {
    return matches_value(name, log_field_value(name.log_field, *work.entry, work.number),
                         work.text);
  }
  // Any line of a repeated attribute may match; a missing one matches nothing.
  // A large record keeps only a name's first line: the others are read again.
  bool found = false;
  work.record.for_each_value(name.id, [&](std::string_view value) {
    found = found || matches_value(name, value, work.text);
  });
  return found;
}

// The first line of the name, converted; false when there is none or it
// cannot be read (which the conversion tells by 0).
bool JobSelection::time_of(int name_id, Work& work, int64_t& seconds) {
  const size_t line = work.record.find_attribute(name_id);
  if (line == RecordView::npos) return false;
  work.text.assign(work.record.value(line));
  seconds = oa_epoch_from_generalized(work.text.c_str());
  return seconds != 0;
}

// A job that was aborted has no completion time: then it is dated by its
// submission.
bool JobSelection::job_time(Work& work, int64_t& seconds) const {
  return time_of(completion_id_, work, seconds) || time_of(submission_id_, work, seconds);
}

bool JobSelection::selects(const JobEntry& entry, Work& work) const {
  if (!may_match(entry)) return false;
  work.record.read(*entry.log, entry.record_offset, wanted_, entry.record_end);
  work.entry = &entry;
  for (const Name& name : names_) {
    if (!matches(name, work)) return false;
  }
  if (!has_since_ && !has_until_) return true;
  int64_t seconds;
  if (!job_time(work, seconds)) return false;
  return (!has_since_ || seconds >= since_) && (!has_until_ || seconds < until_);
}

void SelectedJobs::decide_part(RecordIndex::Cursor cursor, size_t records, unsigned long limit,
                               JobSelection::Work& work, std::vector<bool>& chosen,
                               unsigned long& count) const {
  for (; records > 0 && !cursor.done(); --records, cursor.next()) {
    if (!cursor.entry().is_job) continue;
    const bool shown = selection_.selects(cursor.entry(), work);
    chosen.push_back(shown);
    if (shown && ++count >= limit) return;
  }
}

unsigned long SelectedJobs::decide(const RecordIndex& index, unsigned long limit) {
  if (count_ >= limit) return count_;
  const RecordIndex::Cursor start = index.begin_at_log(logs_decided_);
  logs_decided_ = index.log_count();
  if (halves_min == 0) halves_min = has_second_processor() ? 8192 : SIZE_MAX;
  size_t records = 0;
  if (limit == ULONG_MAX && halves_min != SIZE_MAX) {
    for (RecordIndex::Cursor at = start; !at.done(); at.next()) ++records;
  }
  if (records >= halves_min) {
    // The second half starts where the walk over the first half ends.
    RecordIndex::Cursor half = start;
    for (size_t i = 0; i < records / 2; ++i) half.next();
    std::vector<bool> second;
    unsigned long second_count = 0;
    try {
      std::thread thread([&] {
        JobSelection::Work work;
        decide_part(half, SIZE_MAX, limit, work, second, second_count);
      });
      decide_part(start, records / 2, limit, work_, chosen_, count_);
      thread.join();
      chosen_.insert(chosen_.end(), second.begin(), second.end());
      count_ += second_count;
      return count_;
    } catch (const std::system_error&) {
      // No second thread: this one decides them all.
    }
  }
  decide_part(start, SIZE_MAX, limit, work_, chosen_, count_);
  return count_;
}

void set_selection_halves_min(size_t records) { halves_min = records > 1 ? records : 2; }
