#include "joblog/job_log_scan.h"

#include <sys/stat.h>

#include <cstdlib>
#include <cstring>
#include <memory>
#include <string_view>

#include "diag/diagnostics.h"
#include "joblog/log_lines.h"
#include "platform/file_lookup.h"
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

// strtol over the first bytes of the line, as many as a value may hold.
long read_log_number(const LogLine& line) {
  std::string scratch;
  const std::string number(line.text().substr(0, kValueMax, scratch));
  return std::strtol(number.c_str(), nullptr, 10);
}

// The last ':' or '.' of a header line decides: ':' a job, '.' (or neither) a document.
bool is_job_header(const LogLine& line) {
  const LineText text = line.text();
  const int64_t last = text.find_last_of(":.", text.size());
  return last != LineText::npos && last == text.rfind(':');
}

// The display reads every record a second time, so only a file that can be
// read again from any position can be a job log (a FIFO or a terminal cannot).
bool is_regular_file(std::FILE* stream) {
  struct stat info;
  return fstat(fileno(stream), &info) == 0 && S_ISREG(info.st_mode);
}

class LogScanner {
 public:
  LogScanner(ScanResult& result, long start_after) : result_(result), start_after_(start_after) {}

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
    auto file = std::make_unique<LogFile>(stream);
    LogFile* log = file.get();

    const std::string first_line = first_read(*log);
    if (std::string_view(first_line).substr(0, kJobLogBanner.size()) != kJobLogBanner) {
      return reject(name, stream);
    }
    result_.stamp.assign(first_line, kJobLogBanner.size());

    const LogLine banner = read_line(*log, 0);
    const int64_t offset = banner.size;
    const LogLine number_line = banner.at_end ? LogLine{} : read_line(*log, offset);
    result_.index.begin_log(std::move(file),
                            number_line.size > 0 ? read_log_number(number_line) : 0);

    // The second line is examined like any other: a bare log number has
    // neither ':' nor '.' and so is indexed as a document record.
    long job_number = 1;  // counts the jobs passed over too
    const int64_t scan_end = for_each_header(*log, offset, [&](const LogLine& line) {
      if (is_job_header(line)) {
        if (job_number > start_after_) {
          result_.index.add(line.offset, true);
          ++result_.jobs_indexed;
        }
        ++job_number;
      } else if (job_number > start_after_) {
        // A document goes with the job after it, so it is kept or passed over with that job.
        result_.index.add(line.offset, false);
      }
    });
    // The last record ends where the last read began; the display relies on
    // these ends only while the file keeps the size it has now.
    result_.index.end_log(scan_end);
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
};

}  // namespace

ScanResult scan_job_logs(const std::vector<LogSource>& logs, long start_after, long max_jobs) {
  ScanResult result;
  const unsigned long limit = static_cast<unsigned long>(max_jobs);  // -1: no limit
  for (const LogSource& log : logs) {
    if (!result.ok || result.jobs_indexed >= limit) break;
    ++result.logs_taken;
    LogScanner(result, result.logs_taken == 1 ? start_after : 0).scan(log);
  }
  return result;
}
