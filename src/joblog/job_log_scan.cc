#include "joblog/job_log_scan.h"

#include <sys/stat.h>

#include <cstdlib>
#include <cstring>
#include <memory>
#include <string_view>

#include "diag/diagnostics.h"
#include "joblog/log_file_loops.h"
#include "platform/file_lookup.h"

namespace {

constexpr std::string_view kBanner = " Job Log created ";

// strtol over a piece, which is not terminated where the read stopped.
long read_log_number(const LogPiece& piece) {
  char line[kLogPieceMax + 1];
  const std::string_view text = piece.text();
  std::memcpy(line, text.data(), text.size());
  line[text.size()] = '\0';
  return std::strtol(line, nullptr, 10);
}

// The last ':' or '.' of a header line decides: ':' a job, '.' (or neither) a document.
bool is_job_header(const LogPiece& piece) {
  const std::string_view text = piece.text();
  const size_t last = text.find_last_of(":.");
  return last != std::string_view::npos && text[last] == ':';
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

  void scan(const char* name) {
    std::FILE* stream = locate_file(name, "r");
    if (stream == nullptr) {
      error("Unable to access log file '%s'.\n", name);
      result_.ok = false;
      return;
    }
    if (!is_regular_file(stream)) return reject(name, stream);
    auto file = std::make_unique<LogFile>(stream);
    LogFile* log = file.get();

    const LogPiece banner = log->read_piece(0);
    const std::string_view first_line = banner.text();
    if (first_line.substr(0, kBanner.size()) != kBanner) return reject(name, stream);
    result_.stamp.assign(first_line.substr(kBanner.size()));

    int64_t offset = static_cast<int64_t>(banner.size);
    const LogPiece number_line = log->read_piece(offset);
    result_.index.begin_log(std::move(file),
                            number_line.size > 0 ? read_log_number(number_line) : 0);

    // The second line is examined like any other: a bare log number has
    // neither ':' nor '.' and so is indexed as a document record.
    long job_number = 1;  // counts the jobs passed over too
    const int64_t scan_end = log->for_each_header(offset, [&](int64_t at, const LogPiece& piece) {
      if (is_job_header(piece)) {
        if (job_number > start_after_) {
          result_.index.add(at, true);
          ++result_.jobs_indexed;
        }
        ++job_number;
      } else if (job_number > start_after_) {
        // A document goes with the job after it, so it is kept or passed over with that job.
        result_.index.add(at, false);
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

ScanResult scan_job_logs(const std::vector<const char*>& names, long start_after, long max_jobs) {
  ScanResult result;
  const unsigned long limit = static_cast<unsigned long>(max_jobs);  // -1: no limit
  for (const char* name : names) {
    if (!result.ok || result.jobs_indexed >= limit) break;
    ++result.logs_taken;
    LogScanner(result, result.logs_taken == 1 ? start_after : 0).scan(name);
  }
  return result;
}
