#include "joblog/job_log_scan.h"

#include <sys/stat.h>

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string_view>
#include <vector>

#include "diag/diagnostics.h"
#include "joblog/log_lines.h"
#include "joblog/record_code.h"
#include "platform/file_lookup.h"
#include "platform/processors.h"
#include "platform/read_at.h"
#include "platform/worker_thread.h"

namespace {

// The stamp is what the device's tools read of the first line: one read into a
// 255-byte buffer.
constexpr size_t kStampRead = 254;

// The first line as one 255-byte read gives it: up to its newline (included)
// or 254 bytes, as a C string.
std::string first_read(LogFile& log) {
  char bytes[kStampRead];
  const size_t got = read_at(log.fd(), 0, bytes, sizeof bytes);
  const std::string_view read(bytes, got);
  const size_t newline = read.find('\n');
  const std::string_view line = newline == read.npos ? read : read.substr(0, newline + 1);
  return std::string(line.substr(0, line.find('\0')));
}

// strtol over the first bytes of the line, as many as a value may hold.
long read_log_number(const LogLine& line) {
  std::string scratch;
  const std::string number(line.text().substr(0, kValueMax, scratch));
  return std::strtol(number.c_str(), nullptr, 10);
}

// The display reads every record a second time, so only a file that can be
// read again from any position can be a job log (a FIFO or a terminal cannot).
bool is_regular_file(std::FILE* stream) {
  struct stat info;
  return fstat(fileno(stream), &info) == 0 && S_ISREG(info.st_mode);
}

// A large log is scanned by two threads, each over one half: its second half
// begins with the first line that begins past the middle. 0 until the first
// scan or a test sets it.
int64_t halves_min = 0;

// The header lines of the second half, in the record index's code
// (joblog/record_code.h), until the first thread comes to them.
class SecondHalf {
 public:
  explicit SecondHalf(int64_t start) : start_(start), last_(start) {}
  int64_t start() const { return start_; }

  void add(int64_t offset, bool is_job) {
    put_record_code(record_code(offset - last_, is_job),
                    [this](uint8_t byte) { codes_.push_back(byte); });
    last_ = offset;
  }

  template <typename Take>
  void replay(int64_t start, Take&& take) const {
    const uint8_t* const bytes = codes_.data();
    int64_t offset = start;
    for (size_t at = 0; at < codes_.size();) {
      const uint64_t code = next_record_code(bytes, at);
      offset += static_cast<int64_t>(code >> 1);
      take(offset, (code & 1) != 0);
    }
  }

 private:
  int64_t start_;
  int64_t last_;
  std::vector<uint8_t> codes_;
};

// A record visitor, take(offset, is_job), called through a pointer: every
// reading of a log's headers shares one copy of the loops.
class TakeRecord {
 public:
  template <typename Take>
  TakeRecord(Take& take)  // implicit: any visitor of records is one
      : context_(&take), call_([](void* context, int64_t offset, bool is_job) {
          (*static_cast<Take*>(context))(offset, is_job);
        }) {}
  void operator()(int64_t offset, bool is_job) const { call_(context_, offset, is_job); }

 private:
  void* context_;
  void (*call_)(void*, int64_t, bool);
};

// Hands take(offset, is_job) every record header line from `offset` on
// (that begins before `until`), in order; returns where the last read of the
// log began (when it went to the end of the file).
int64_t scan_headers(LogFile& log, int64_t offset, TakeRecord take, int64_t until = INT64_MAX) {
  auto visit = [&take](const LogLine& line) { take(line.offset, is_job_header(line)); };
  const int64_t size = std::min(log.size(), until);
  if (halves_min == 0) halves_min = has_second_processor() ? int64_t{4} << 20 : INT64_MAX;
  if (size - offset >= halves_min) {
    // The line that goes on at the middle ends where the second half begins.
    const LogLine middle = read_line(log, offset + (size - offset) / 2 - 1);
    const int64_t half = middle.offset + middle.size;
    if (!middle.at_end && half < until) {
      SecondHalf second(half);
      int64_t scan_end = half;
      WorkerThread thread;
      // Without a second thread, one thread scans it all.
      if (thread.start([&] {
            scan_end = for_each_header(
                log, half,
                [&second](const LogLine& line) { second.add(line.offset, is_job_header(line)); },
                until);
          })) {
        for_each_header(log, offset, visit, half);
        thread.join();
        second.replay(half, take);
        return scan_end;
      }
    }
  }
  return for_each_header(log, offset, visit, until);
}

int64_t first_step = 1024;

// The first line that begins at or after `at` (past `offset`, where the lines
// of the log's records begin), or the end of the file.
int64_t line_start_from(LogFile& log, int64_t offset, int64_t at) {
  if (at <= offset) return offset;
  const LogLine rest = read_line(log, at - 1);
  return rest.offset + rest.size;
}

// Hands take(offset, is_job) the record header lines of the last stretch of
// the log that holds more than `jobs` job records (or of all of it from
// `offset`), in order; returns where the last read of the log began, as
// scan_headers does. The stretch is found in steps back from the end, each
// twice as long as the one after it, their headers kept in the index's code
// until the oldest is read; a step that would reach back past the middle of
// what is left takes all of it, on two threads when it is large.
int64_t scan_from_end(LogFile& log, int64_t offset, unsigned long jobs, TakeRecord take) {
  std::vector<SecondHalf> steps;  // the newest first
  int64_t end = std::max(log.size(), offset);
  int64_t until = INT64_MAX;  // the first step read goes to the end of the file
  int64_t scan_end = offset;
  unsigned long found = 0;
  for (int64_t length = first_step; found <= jobs && end > offset; length *= 2) {
    if (length > (end - offset) / 2) {
      const int64_t last = scan_headers(log, offset, take, until);
      if (until == INT64_MAX) scan_end = last;
      end = offset;
      break;
    }
    const int64_t start = line_start_from(log, offset, end - length);
    if (start >= end) continue;  // inside one long line
    SecondHalf& step = steps.emplace_back(start);
    auto keep = [&](int64_t record, bool is_job) {
      step.add(record, is_job);
      found += is_job;
    };
    const int64_t last = scan_headers(log, start, keep, until);
    if (until == INT64_MAX) scan_end = last;  // the newest step
    until = end = start;
  }
  for (auto step = steps.rbegin(); step != steps.rend(); ++step) step->replay(step->start(), take);
  return scan_end;
}

// Whether a known point is still where a line of the log begins, past the
// lines that open the log; else the log is read whole.
bool still_a_line_start(LogFile& log, int64_t point, int64_t body) {
  if (point <= body || point > log.size()) return false;
  char before = '\0';
  return read_at(log.fd(), point - 1, &before, 1) == 1 && before == '\n';
}

class LogScanner {
 public:
  LogScanner(ScanResult& result, long start_after, const CursorScan* cursor, bool from_end,
             unsigned long jobs_wanted)
      : result_(result),
        start_after_(start_after),
        cursor_(cursor),
        from_end_(from_end),
        jobs_wanted_(jobs_wanted) {}

  void scan(const LogSource& source) {
    const char* name = source.name;
    std::FILE* stream = source.stream;
    if (stream == nullptr && !source.is_standard_input()) stream = locate_file(name, "r");
    if (stream == nullptr) {
      error("Unable to access log file '%s'.\n", name);
      result_.ok = false;
      return;
    }
    if (!is_regular_file(stream)) return reject(name, stream);
    auto file = std::make_unique<LogFile>(stream, name);
    LogFile* log = file.get();

    const std::string first_line = first_read(*log);
    if (std::string_view(first_line).substr(0, kJobLogBanner.size()) != kJobLogBanner) {
      return reject(name, stream);
    }
    result_.stamp.assign(first_line, kJobLogBanner.size());
    log->set_stamp(log_stamp(first_line));

    const LogLine banner = read_line(*log, 0);
    const int64_t offset = banner.size;
    const LogLine number_line = banner.at_end ? LogLine{} : read_line(*log, offset);
    const long log_number = number_line.size > 0 ? read_log_number(number_line) : 0;
    result_.index.begin_log(std::move(file), log_number);

    int64_t from = offset;
    if (cursor_ != nullptr && cursor_->from_points) {
      const CursorPoint* known = find_cursor_point(cursor_->known, log_number, log->stamp());
      if (known != nullptr && still_a_line_start(*log, known->offset, offset)) {
        from = known->offset;
      }
    }
    // Where the last job record read ends: the next point. A log read whole
    // without a job record keeps 0, one read from its point keeps that point.
    int64_t point = from != offset ? from : 0;
    bool after_job = false;
    RecordIndex::Mark held = result_.index.mark();

    // The second line is examined like any other: a bare log number has
    // neither ':' nor '.' and so is indexed as a document record.
    long job_number = 1;  // counts the jobs passed over too
    auto take = [&](int64_t record_offset, bool is_job) {
      if (after_job) point = record_offset;
      after_job = is_job;
      if (is_job) {
        if (job_number > start_after_) {
          result_.index.add(record_offset, true);
          ++result_.jobs_indexed;
        }
        ++job_number;
        held = result_.index.mark();
      } else if (job_number > start_after_) {
        // A document goes with the job after it, so it is kept or passed over with that job.
        result_.index.add(record_offset, false);
      }
    };
    const int64_t scan_end =
        from_end_ ? scan_from_end(*log, from, jobs_wanted_, take) : scan_headers(*log, from, take);
    if (after_job) point = scan_end;
    // The last record ends where the last read began; the display relies on
    // these ends only while the file keeps the size it has now.
    int64_t last_end = scan_end;
    if (cursor_ != nullptr) {
      // Documents wait for their job; the point stays before them.
      result_.index.roll_back(held);
      last_end = point;
      result_.points.push_back(CursorPoint{log_number, point, log->stamp()});
    }
    result_.index.end_log(last_end);
    log->note_scanned();
  }

 private:
  void reject(const char* name, std::FILE* stream) {
    error("The file '%s' is not a job log.\n", name);
    std::fclose(stream);
    result_.ok = false;
  }

  ScanResult& result_;
  long start_after_;
  const CursorScan* cursor_;
  bool from_end_;
  unsigned long jobs_wanted_;
};

}  // namespace

std::string log_stamp(std::string_view first_line) {
  std::string_view line = first_line.substr(std::min(first_line.size(), kJobLogBanner.size()));
  // A carriage return just before the newline belongs to the line end.
  if (!line.empty() && line.back() == '\n') {
    line.remove_suffix(1);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
  }
  return std::string(line);
}

LogStart read_log_start(LogFile& log) {
  LogStart start;
  start.first_line = first_read(log);
  start.is_job_log =
      std::string_view(start.first_line).substr(0, kJobLogBanner.size()) == kJobLogBanner;
  const LogLine banner = read_line(log, 0);
  start.records_offset = banner.size;
  const LogLine number_line = banner.at_end ? LogLine{} : read_line(log, banner.size);
  start.log_number = number_line.size > 0 ? read_log_number(number_line) : 0;
  return start;
}

int64_t end_of_last_job(LogFile& log, int64_t offset) {
  bool job_seen = false;
  int64_t end = -1;  // not yet known
  auto take = [&](int64_t record, bool is_job) {
    if (is_job) {
      job_seen = true;
      end = -1;
    } else if (job_seen && end < 0) {
      end = record;
    }
  };
  const int64_t scan_end = scan_from_end(log, offset, 0, take);
  if (!job_seen) return offset;
  return end >= 0 ? end : scan_end;
}

NewRecords read_new_records(LogFile& log, int64_t from, int64_t limit) {
  NewRecords batch;
  batch.end = from;
  std::vector<int64_t>& records = batch.records;
  auto keep = [&records](int64_t record, bool is_job) {
    records.push_back(record << 1 | (is_job ? 1 : 0));
  };
  const int64_t size = log.size();
  for (int64_t reach = limit > 0 ? limit : 1; from < size; reach *= 2) {
    // Read to the end, `last` is where its last read began: where the last record ends.
    const bool to_end = size - from <= reach;
    records.clear();
    const int64_t last = scan_headers(log, from, keep, to_end ? INT64_MAX : from + reach);
    // A job ends where the record after it begins; the last one read, when
    // the read stopped short of the end, may go on past it.
    size_t jobs_end = records.size();
    if (!to_end && jobs_end > 0 && (records[jobs_end - 1] & 1) != 0) --jobs_end;
    while (jobs_end > 0 && (records[jobs_end - 1] & 1) == 0) --jobs_end;
    if (jobs_end > 0) {
      batch.end = jobs_end < records.size() ? records[jobs_end] >> 1 : last;
      records.erase(records.begin() + static_cast<std::ptrdiff_t>(jobs_end), records.end());
      return batch;
    }
    records.clear();
    if (to_end) break;
  }
  return batch;
}

void set_scan_halves_min(int64_t bytes) { halves_min = bytes > 1 ? bytes : 2; }

void set_scan_first_step(int64_t bytes) { first_step = bytes > 0 ? bytes : 1; }

ScanResult scan_job_logs(const std::vector<LogSource>& logs, const ScanOptions& options) {
  ScanResult result;
  const unsigned long limit = static_cast<unsigned long>(options.max_jobs);  // -1: no limit
  const JobCounter& jobs_shown = options.jobs_shown;
  const bool from_end =
      options.from_end && options.start_after == 0 && !jobs_shown && options.cursor == nullptr;
  for (const LogSource& log : logs) {
    if (!result.ok) break;
    if ((jobs_shown ? jobs_shown(result.index, limit) : result.jobs_indexed) >= limit) break;
    ++result.logs_taken;
    LogScanner(result, result.logs_taken == 1 ? options.start_after : 0, options.cursor,
               from_end && limit != ULONG_MAX, limit - result.jobs_indexed)
        .scan(log);
  }
  return result;
}
