#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "joblog/record_index.h"
#include "render/attribute_lookup.h"

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

  // Reads the job record of `entry` in place and tells whether it is chosen.
  bool selects(const JobEntry& entry);

 private:
  struct Name {
    std::string name;
    int id;              // in wanted_
    bool is_identifier;  // job-identifier: the number of the record's header
    std::vector<std::string> patterns;
  };
  bool matches(const Name& name);
  bool matches_value(const Name& name, std::string_view value);
  bool job_time(int64_t& seconds);
  bool time_of(int name_id, int64_t& seconds);
  void want_times();

  std::vector<Name> names_;
  WantedNames wanted_;
  int completion_id_ = WantedNames::kNone;
  int submission_id_ = WantedNames::kNone;
  bool has_since_ = false;
  bool has_until_ = false;
  int64_t since_ = 0;
  int64_t until_ = 0;
  RecordView record_;
  std::string text_;  // a value as a C string
};

// The choices of a selection over the jobs of a record index, one bit a job
// in display order, so that counting the jobs shown costs no second reading.
class SelectedJobs {
 public:
  explicit SelectedJobs(JobSelection& selection) : selection_(selection) {}

  // Decides, in display order, the jobs of the logs added to `index` since the
  // last call, until `limit` jobs (compared as unsigned) are chosen in all;
  // the jobs after those are never shown. Returns how many are chosen.
  unsigned long decide(const RecordIndex& index, unsigned long limit);

  // Whether the job-th job record of the index (from 0, in display order) is shown.
  bool shows(unsigned long job) const { return job < chosen_.size() && chosen_[job]; }
  unsigned long count() const { return count_; }

 private:
  JobSelection& selection_;
  std::vector<bool> chosen_;
  size_t logs_decided_ = 0;
  unsigned long count_ = 0;
};
