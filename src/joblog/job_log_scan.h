#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
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

// Counts the jobs of the index that will be shown, up to `limit`: when jobs
// are chosen by what they hold, -m counts only those.
using JobCounter = std::function<unsigned long(const RecordIndex& index, unsigned long limit)>;

// What the scan of each log indexes.
struct ScanOptions {
  long start_after = 0;  // job records of the first log passed over, with their documents
  long max_jobs = -1;    // compared as unsigned; -1: no limit
  // Each log is read from its end backwards, only until it holds more than the
  // jobs still wanted (the oldest of them ends the documents of the last one
  // wanted), or to its start. The records indexed then begin there: a display
  // of max_jobs jobs, newest first, shows the same as after a whole scan.
  // Needs start_after 0, since passing over counts from the start, and no
  // jobs_shown, which counts jobs the reading back cannot tell.
  bool from_end = false;
  JobCounter jobs_shown;               // null: every job indexed counts
  const CursorScan* cursor = nullptr;  // no from_end with a cursor, which has its own start
};

// Opens each log in order (its stream when it has one, else through
// locate_file), checks its banner and indexes its records. The start-after
// count applies to the first log only; max_jobs, compared as unsigned, is
// checked between logs against the jobs indexed so far or what jobs_shown
// counts of the index (given max_jobs as unsigned, the most it needs to
// count), and read from the end, within a log too. With a cursor, a log
// whose identity it knows is scanned from its point (when that is still the
// start of a line in it), documents after a log's last job record are held
// back for a later run, and each log's new point is noted.
ScanResult scan_job_logs(const std::vector<LogSource>& logs, const ScanOptions& options);
inline ScanResult scan_job_logs(const std::vector<LogSource>& logs, long start_after, long max_jobs,
                                const JobCounter& jobs_shown = nullptr,
                                const CursorScan* cursor = nullptr) {
  return scan_job_logs(logs, ScanOptions{start_after, max_jobs, false, jobs_shown, cursor});
}

// What the first two lines of a log say.
struct LogStart {
  bool is_job_log = false;     // the first line begins with the banner
  std::string first_line;      // as the device's tools read it (a stamp read, up to 254 bytes)
  long log_number = 0;         // strtol of the second line
  int64_t records_offset = 0;  // where the second line begins: records are looked for from there
};
LogStart read_log_start(LogFile& log);

// The identification stamp of a first line as read (the log field log-stamp,
// the cursor file's key): past the banner, without its line end.
std::string log_stamp(std::string_view first_line);

// Where a log's last job record ends (with its attribute lines), read from the
// end of the log: following it begins there, so that the documents after it
// wait for their job. `offset` (where records begin) when it has no job.
int64_t end_of_last_job(LogFile& log, int64_t offset);

// Records that a writer has added to a log being followed: whole jobs, each
// after its documents, in file order.
struct NewRecords {
  std::vector<int64_t> records;  // offset << 1, with 1 in the low bit for a job
  int64_t end = 0;               // where the last job record ends: the next read begins there
};

// The records from `from` on, up to the end of the last job whose end lies
// within `limit` bytes (further when no job with its documents fits in them);
// none, and `end` at `from`, while no job follows. Documents with no job
// after them yet are left for a later read.
NewRecords read_new_records(LogFile& log, int64_t from, int64_t limit);

// Past the lines that open it, a log of at least `bytes` more bytes is
// scanned in two halves by two threads: 4 MiB on a machine with a second
// processor, else none. For tests and fuzz targets, which compare both ways
// on small logs.
void set_scan_halves_min(int64_t bytes);

// Read from the end, the first step back takes this many bytes (1 KiB unless
// set), each further one twice as many as the one before.
void set_scan_first_step(int64_t bytes);
