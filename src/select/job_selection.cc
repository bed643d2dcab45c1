#include "select/job_selection.h"

#include <fnmatch.h>

#include "platform/generalized_time.h"
#include "render/job_identifier.h"

namespace {

constexpr std::string_view kIdentifierName = "job-identifier";

}  // namespace

bool is_match_text(std::string_view text) {
  const size_t equals = text.find('=');
  return equals != text.npos && equals > 0;
}

bool JobSelection::add_match(std::string_view text) {
  if (!is_match_text(text)) return false;
  const size_t equals = text.find('=');
  const std::string_view name = text.substr(0, equals);
  std::string pattern(text.substr(equals + 1));
  for (Name& known : names_) {
    if (known.name == name) {
      known.patterns.push_back(std::move(pattern));
      return true;
    }
  }
  const bool is_identifier = name == kIdentifierName;
  const int id = is_identifier ? WantedNames::kNone : wanted_.add(name);
  names_.push_back(Name{std::string(name), id, is_identifier, {std::move(pattern)}});
  return true;
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

bool JobSelection::matches_value(const Name& name, std::string_view value) {
  // A NUL byte ends what a line says, so a value never holds one.
  text_.assign(value);
  for (const std::string& pattern : name.patterns) {
    if (fnmatch(pattern.c_str(), text_.c_str(), 0) == 0) return true;
  }
  return false;
}

bool JobSelection::matches(const Name& name) {
  if (name.is_identifier) {
    return matches_value(name, split_job_identifier(record_.header_text()).number);
  }
  // Any line of a repeated attribute may match; a missing one matches nothing.
  for (size_t line = record_.find_attribute(name.id); line != RecordView::npos;
       line = record_.find_attribute(name.id, line + 1)) {
    if (matches_value(name, record_.value(line))) return true;
  }
  return false;
}

// The first line of the name, converted; false when there is none or it
// cannot be read (which the conversion tells by 0).
bool JobSelection::time_of(int name_id, int64_t& seconds) {
  const size_t line = record_.find_attribute(name_id);
  if (line == RecordView::npos) return false;
  text_.assign(record_.value(line));
  seconds = oa_epoch_from_generalized(text_.c_str());
  return seconds != 0;
}

// A job that was aborted has no completion time: then it is dated by its
// submission.
bool JobSelection::job_time(int64_t& seconds) {
  return time_of(completion_id_, seconds) || time_of(submission_id_, seconds);
}

bool JobSelection::selects(const JobEntry& entry) {
  record_.read(*entry.log, entry.record_offset, wanted_, entry.record_end);
  for (const Name& name : names_) {
    if (!matches(name)) return false;
  }
  if (!has_since_ && !has_until_) return true;
  int64_t seconds;
  if (!job_time(seconds)) return false;
  return (!has_since_ || seconds >= since_) && (!has_until_ || seconds < until_);
}

unsigned long SelectedJobs::decide(const RecordIndex& index, unsigned long limit) {
  if (count_ < limit) {
    for (RecordIndex::Cursor cursor = index.begin_at_log(logs_decided_); !cursor.done();
         cursor.next()) {
      if (!cursor.entry().is_job) continue;
      const bool chosen = selection_.selects(cursor.entry());
      chosen_.push_back(chosen);
      if (chosen && ++count_ >= limit) break;
    }
  }
  logs_decided_ = index.log_count();
  return count_;
}
