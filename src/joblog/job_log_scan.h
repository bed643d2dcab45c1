#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "joblog/cursor_file.h"
#include "joblog/log_source.h"
#include "joblog/record_index.h"

// What the scan of the job logs leaves for the run.
struct ScanResult {
  RecordIndex index;
  bool ok = true;                   // false once a log could not be opened or was not a job log
  unsigned long logs_taken = 0;     // log names taken, the failed one included
  unsigned long jobs_indexed = 0;   // job records placed in the index
  std::string stamp;                // identification stamp of the last accepted log
  std::vector<CursorPoint> points;  // with a cursor: where each log taken now leaves off
};

// An incremental run: where the logs the cursor file knows are read from.
struct CursorScan {
  std::vector<CursorPoint> known;  // as the cursor file holds them
  bool from_points = true;         // false when counts from a log's start (-s, -S) apply
};

// Opens each log in order (its stream when it has one, else through
// locate_file), checks its banner and indexes its records. The start-after
// count applies to the first log only; max_jobs, compared as unsigned, is
// checked between logs only, against the jobs indexed so far or, when jobs
// are chosen by what they hold, against what `jobs_shown` counts of the index
// (it is given max_jobs as unsigned, the most it needs to count).
// With a cursor, a log whose identity it knows is scanned from its point (when
// that is still the start of a line in it), documents after a log's last job
// record are held back for a later run, and each log's new point is noted.
using JobCounter = std::function<unsigned long(const RecordIndex& index, unsigned long limit)>;
ScanResult scan_job_logs(const std::vector<LogSource>& logs, long start_after, long max_jobs,
                         const JobCounter& jobs_shown = nullptr,
                         const CursorScan* cursor = nullptr);

// Past the lines that open it, a log of at least `bytes` more bytes is
// scanned in two halves by two threads: 4 MiB on a machine with a second
// processor, else none. For tests and fuzz targets, which compare both ways
// on small logs.
void set_scan_halves_min(int64_t bytes);
