#include "joblog/new_records.h"

#include "joblog/log_lines.h"

NewRecords read_new_records(LogFile& log, int64_t from, int64_t limit) {
  NewRecords batch;
  batch.end = from;
  const int64_t size = log.size();
  for (int64_t reach = limit > 0 ? limit : 1; from < size; reach *= 2) {
    // Read to the end, `last` is where its last read began: where the last record ends.
    const bool to_end = size - from <= reach;
    std::vector<int64_t>& records = batch.records;
    records.clear();
    const int64_t last = for_each_header(
        log, from,
        [&records](const LogLine& line) {
          records.push_back(line.offset << 1 | (is_job_header(line) ? 1 : 0));
        },
        to_end ? INT64_MAX : from + reach);
    // A job ends where the record after it begins; the last one read, when
    // the read stopped short of the end, may go on past it.
    size_t jobs_end = records.size();
    if (!to_end && jobs_end > 0 && (records[jobs_end - 1] & 1) != 0) --jobs_end;
    while (jobs_end > 0 && (records[jobs_end - 1] & 1) == 0) --jobs_end;
    if (jobs_end > 0) {
      batch.end = jobs_end < records.size() ? records[jobs_end] >> 1 : last;
      records.resize(jobs_end);
      return batch;
    }
    records.clear();
    if (to_end) break;
  }
  return batch;
}
