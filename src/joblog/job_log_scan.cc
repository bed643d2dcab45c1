#include "joblog/job_log_scan.h"

#include <sys/stat.h>

#include <cstdlib>
#include <cstring>
#include <memory>
#include <string_view>
#include <system_error>
#include <thread>
#include <vector>

#include "diag/diagnostics.h"
#include "joblog/log_lines.h"
#include "joblog/record_code.h"
#include "platform/file_lookup.h"
#include "platform/processors.h"
#include "platform/read_at.h"

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

// A carriage return just before the newline belongs to the line end.
std::string without_line_end(std::string_view line) {
  if (!line.empty() && line.back() == '\n') {
    line.remove_suffix(1);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
  }
  return std::string(line);
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
  explicit SecondHalf(int64_t start) : last_(start) {}

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
  int64_t last_;
  std::vector<uint8_t> codes_;
};

// Hands take(offset, is_job) every record header line from `offset` on, in
// order; returns where the last read of the log began.
template <typename Take>
int64_t scan_headers(LogFile& log, int64_t offset, Take&& take) {
  auto visit = [&take](const LogLine& line) { take(line.offset, is_job_header(line)); };
  const int64_t size = log.size();
  if (halves_min == 0) halves_min = has_second_processor() ? int64_t{4} << 20 : INT64_MAX;
  if (size - offset >= halves_min) {
    // The line that goes on at the middle ends where the second half begins.
    const LogLine middle = read_line(log, offset + (size - offset) / 2 - 1);
    const int64_t half = middle.offset + middle.size;
    if (!middle.at_end) {
      SecondHalf second(half);
      int64_t scan_end = half;
      try {
        std::thread thread([&] {
          scan_end = for_each_header(log, half, [&second](const LogLine& line) {
            second.add(line.offset, is_job_header(line));
          });
        });
        for_each_header(log, offset, visit, half);
        thread.join();
        second.replay(half, take);
        return scan_end;
      } catch (const std::system_error&) {
        // No second thread: one thread scans it all.
      }
    }
  }
  return for_each_header(log, offset, visit);
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
  LogScanner(ScanResult& result, long start_after, const CursorScan* cursor)
      : result_(result), start_after_(start_after), cursor_(cursor) {}

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
    log->set_stamp(without_line_end(result_.stamp));

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
    const int64_t scan_end = scan_headers(*log, from, take);
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
};

}  // namespace

void set_scan_halves_min(int64_t bytes) { halves_min = bytes > 1 ? bytes : 2; }

ScanResult scan_job_logs(const std::vector<LogSource>& logs, long start_after, long max_jobs,
                         const JobCounter& jobs_shown, const CursorScan* cursor) {
  ScanResult result;
  const unsigned long limit = static_cast<unsigned long>(max_jobs);  // -1: no limit
  for (const LogSource& log : logs) {
    if (!result.ok) break;
    if ((jobs_shown ? jobs_shown(result.index, limit) : result.jobs_indexed) >= limit) break;
    ++result.logs_taken;
    LogScanner(result, result.logs_taken == 1 ? start_after : 0, cursor).scan(log);
  }
  return result;
}
