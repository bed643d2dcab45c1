#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "joblog/record_index.h"
#include "render/attribute_lookup.h"
#include "render/log_fields.h"

// Whether a --match argument is NAME=PATTERN with a NAME: NAME ends at the
// first '=', and neither may be missing.
bool is_match_text(std::string_view text);

// Which jobs a run shows, chosen by what their job records hold. With nothing
// added it chooses every job.
class JobSelection {
 public:
  // A NAME=PATTERN text; false when it is not one. Patterns of one NAME are
  // alternatives; every NAME must be matched.
  bool add_match(std::string_view text);
  // A job's time must be at or after `since` and before `until`.
  void set_since(int64_t seconds);
  void set_until(int64_t seconds);
  bool active() const { return !names_.empty() || has_since_ || has_until_; }

  // What a thread needs to read records for the selection.
  struct Work {
    RecordView record;
    std::string text;                 // a value as a C string
    const JobEntry* entry = nullptr;  // the record read, for its log fields
    std::string number;               // a log field's number as text
  };
  // Reads the job record of `entry` in place and tells whether it is chosen.
  bool selects(const JobEntry& entry, Work& work) const;

 private:
  struct Needle {
    std::string bytes;
    bool found_in(const char* data, size_t size) const;
  };
  struct Name {
    std::string name;
    int id;              // in wanted_
    bool is_identifier;  // job-identifier: the number of the record's header
    LogField log_field;  // a field of the record's log, not of its lines
    std::vector<std::string> patterns;
    // For each pattern, bytes that every value it matches holds; when one of
    // them is empty, any record may match.
    std::vector<Needle> needles;
  };
  bool may_match(const JobEntry& entry) const;
  static bool matches(const Name& name, Work& work);
  static bool matches_value(const Name& name, std::string_view value, std::string& text);
  bool job_time(Work& work, int64_t& seconds) const;
  static bool time_of(int name_id, Work& work, int64_t& seconds);
  void want_times();

  std::vector<Name> names_;
  WantedNames wanted_;
  int completion_id_ = WantedNames::kNone;
  int submission_id_ = WantedNames::kNone;
  bool has_since_ = false;
  bool has_until_ = false;
  int64_t since_ = 0;
  int64_t until_ = 0;
};

// The choices of a selection over the jobs of a record index, one bit a job
// in display order, so that counting the jobs shown costs no second reading.
class SelectedJobs {
 public:
  explicit SelectedJobs(const JobSelection& selection) : selection_(selection) {}

  // Decides, in display order, the jobs of the logs added to `index` since the
  // last call, until `limit` jobs (compared as unsigned) are chosen in all;
  // the jobs after those are never shown. Returns how many are chosen. Without
  // a limit, many records are decided in two halves by two threads.
  unsigned long decide(const RecordIndex& index, unsigned long limit);

  // Whether the job-th job record of the index (from 0, in display order) is shown.
  bool shows(unsigned long job) const { return job < chosen_.size() && chosen_[job]; }
  unsigned long count() const { return count_; }

 private:
  // Decides the jobs from `cursor` on, `records` records at most.
  void decide_part(RecordIndex::Cursor cursor, size_t records, unsigned long limit,
                   JobSelection::Work& work, std::vector<bool>& chosen, unsigned long& count) const;

  const JobSelection& selection_;
  JobSelection::Work work_;
  std::vector<bool> chosen_;
  size_t logs_decided_ = 0;
  unsigned long count_ = 0;
};

// Without a limit, at least this many records are decided by two threads:
// 8192 on a machine with a second processor, else none. For tests, which
// compare both ways on small logs.
void set_selection_halves_min(size_t records);
