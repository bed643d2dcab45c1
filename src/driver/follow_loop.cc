#include "driver/follow_loop.h"

#include <sys/stat.h>
#include <unistd.h>

#include <climits>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>

#include "diag/diagnostics.h"
#include "diag/output_channel.h"
#include "joblog/cursor_file.h"
#include "joblog/job_log_scan.h"
#include "platform/log_watch.h"
#include "platform/replace_file.h"
#include "render/record_json.h"
#include "render/record_renderer.h"

namespace {

// The lock is held while at most this much of the log is read (more only for
// one job whose documents need more).
constexpr int64_t kBatchBytes = int64_t{1} << 20;

// The log file being followed, as its path named it when it was opened.
struct Followed {
  std::FILE* stream = nullptr;
  dev_t device = 0;
  ino_t inode = 0;
  LogStart start;
  std::string stamp;  // the first line past the banner, without its line end
  int64_t next = 0;   // where the next read begins: just after the last job shown
};

bool open_followed(std::FILE* stream, Followed& log) {
  struct stat info;
  if (fstat(fileno(stream), &info) != 0) return false;
  log.stream = stream;
  log.device = info.st_dev;
  log.inode = info.st_ino;
  LogFile file(stream);
  log.start = read_log_start(file);
  log.stamp = log_stamp(log.start.first_line);
  return true;
}

// The file that the path names now, when it is another one that holds the
// banner; null otherwise.
std::FILE* rotated(const char* path, const Followed& log) {
  struct stat info;
  if (stat(path, &info) != 0 || !S_ISREG(info.st_mode) ||
      (info.st_dev == log.device && info.st_ino == log.inode)) {
    return nullptr;
  }
  std::FILE* stream = std::fopen(path, "re");
  if (stream == nullptr) return nullptr;
  LogFile file(stream);
  if (read_log_start(file).is_job_log) return stream;
  std::fclose(stream);
  return nullptr;
}

class BatchWriter {
 public:
  BatchWriter(const RunSettings& settings, const DisplayTemplate& tpl,
              const JobSelection* selection, DisplayCount count)
      : settings_(settings),
        tpl_(tpl),
        selection_(selection),
        count_(count),
        renderer_(tpl, settings.raw),
        json_(output_channel()) {}

  // Each job, then its documents newest first, as the display shows them.
  // False when a raw record was no longer where it was read.
  bool write(LogFile& log, long log_number, const NewRecords& batch) {
    const std::vector<int64_t>& records = batch.records;
    const unsigned long every = static_cast<unsigned long>(settings_.job_count);
    size_t first_document = 0;
    for (size_t job = 0; job < records.size(); ++job) {
      if ((records[job] & 1) == 0) continue;
      auto entry = [&](size_t i) {
        const int64_t end = i + 1 < records.size() ? records[i + 1] >> 1 : batch.end;
        return JobEntry{&log, records[i] >> 1, (records[i] & 1) != 0, log_number, end};
      };
      const size_t documents = first_document;
      first_document = job + 1;
      // A template without job items shows nothing, documents included.
      if (!settings_.json && tpl_.job_items.empty()) continue;
      if (selection_ != nullptr && !selection_->selects(entry(job), work_)) continue;
      if (!settings_.raw && !settings_.json &&
          (!count_.header_written || (every != 0 && count_.jobs_shown % every == 0))) {
        renderer_.print_text_list(tpl_.header_lines);
      }
      count_.header_written = true;
      if (!show(tpl_.job_items, entry(job))) return false;
      ++count_.jobs_shown;
      for (size_t i = job; i-- > documents;) {
        if (!show(tpl_.document_items, entry(i))) return false;
      }
    }
    return true;
  }

 private:
  bool show(const DisplayList& items, const JobEntry& entry) {
    if (settings_.json) {
      json_.write(entry);
      return true;
    }
    if (renderer_.render_record(items, entry)) return true;
    error("The file '%s' changed while it was shown.\n", entry.log->name());
    return false;
  }

  const RunSettings& settings_;
  const DisplayTemplate& tpl_;
  const JobSelection* selection_;
  JobSelection::Work work_;
  DisplayCount count_;
  RecordRenderer renderer_;
  RecordJsonWriter json_;
};

// After a batch has been written and flushed, the cursor file holds where it
// ended, so that after any ending it says what the last batch showed.
bool note_point(const char* cursor_file, const CursorPoint& point) {
  if (cursor_file == nullptr) return true;
  const int failure = replace_file(cursor_file, cursor_file_text({point}));
  if (failure == 0) return true;
  error("Unable to write cursor file '%s': %s.\n", cursor_file, std::strerror(failure));
  return false;
}

}  // namespace

int follow_log(const RunSettings& settings, const DisplayTemplate& tpl,
               const JobSelection* selection, std::FILE* stream, LockHandle lock,
               DisplayCount count) {
  const char* path = settings.logs.front();
  Followed log;
  if (!open_followed(stream, log)) {
    x_unlock(lock);
    return 1;
  }
  {
    LogFile file(log.stream, path);
    log.next = end_of_last_job(file, log.start.records_offset);
  }
  x_unlock(lock);

  LogWatch watch(path);
  BatchWriter writer(settings, tpl, selection, count);
  for (bool more = false; !stop_requested();) {
    if (!more && !watch.wait()) return 0;
    if (stop_requested()) return 0;
    if (x_lock_wait(lock, settings.wait_seconds < 0 ? LONG_MAX : settings.wait_seconds) != 0) {
      if (stop_requested()) return 0;
      error("Timed out waiting for the accounting lock.\n");
      return 1;
    }
    // A new LogFile for each batch: nothing of an earlier read may pass for
    // what the file holds now.
    auto file = std::make_unique<LogFile>(log.stream, path);
    const int64_t size = file->size();
    if (size < log.next || read_log_start(*file).first_line != log.start.first_line) {
      // Cut shorter or written anew: read from its start.
      log.start = read_log_start(*file);
      log.next = log.start.records_offset;
    }
    // A file cut to nothing is read once it holds the banner again.
    const NewRecords batch = log.start.is_job_log ? read_new_records(*file, log.next, kBatchBytes)
                                                  : NewRecords{{}, log.next};
    file->note_scanned();
    file->expect_growth();
    file->set_stamp(log.stamp);
    const CursorPoint point{log.start.log_number, batch.end, log.stamp};
    const long log_number = log.start.log_number;
    if (!batch.records.empty()) log.next = batch.end;
    more = !batch.records.empty() && batch.end < size;
    std::FILE* retired = nullptr;
    if (!more) {
      // The old file is read to its end; then the path's new one from its start.
      if (std::FILE* next = rotated(path, log)) {
        retired = log.stream;
        if (open_followed(next, log)) {
          log.next = log.start.records_offset;
          more = true;
        } else {
          std::fclose(next);
          retired = nullptr;
        }
      }
    }
    x_unlock(lock);
    const bool written = batch.records.empty() || writer.write(*file, log_number, batch);
    file.reset();
    if (retired != nullptr) std::fclose(retired);
    if (!written || !output_channel().flush()) return 1;
    if (!batch.records.empty() && !note_point(settings.cursor_file, point)) return 1;
  }
  return 0;
}
