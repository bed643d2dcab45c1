#include "driver/run.h"

#include <sys/stat.h>
#include <unistd.h>

#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <new>

#include "diag/diagnostics.h"
#include "diag/output_channel.h"
#include "driver/command_line.h"
#include "driver/follow_loop.h"
#include "driver/output_loop.h"
#include "joblog/job_log_scan.h"
#include "joblog/log_source.h"
#include "platform/file_lookup.h"
#include "platform/log_watch.h"
#include "platform/named_lock.h"
#include "platform/replace_file.h"
#include "select/job_selection.h"
#include "select/time_words.h"
#include "template/template_parser.h"

namespace {

// Makes the empty reader context current: nothing written then carries a
// template's location, and the context of a finished parse is never read.
void clear_location() {
  static ReaderContext no_location;
  set_context(&no_location);
}

// A named template (-t or JLOG_TEMPLATE) is parsed again even after -t parsed
// it: that is how -T given after -t reaches the file. A named file that cannot
// be read never falls back to joblog.tpl or to the built-in display.
bool choose_template(const RunSettings& settings, DisplayTemplate& tpl) {
  if (settings.template_name != nullptr) return parse_template(settings.template_name, tpl);
  std::FILE* probe = locate_file(kDefaultTemplateName, "r");
  if (probe == nullptr) return true;  // the built-in display stays
  std::fclose(probe);
  return parse_template(kDefaultTemplateName, tpl);
}

// The first job shown, the log's number and the last job shown, then the
// stamp as read (normally with its own line end). Stamps of two logs cannot
// be told apart, so several logs give a message instead.
void write_stamp(const RunSettings& settings, const ScanResult& scan) {
  if (scan.logs_taken > 1) {
    error("Identification stamp invalid for more than one log.\n");
    return;
  }
  // Sums wrap through unsigned arithmetic: -s and -m take any long.
  const unsigned long start = static_cast<unsigned long>(settings.start_after);
  const unsigned long count =
      settings.max_jobs != -1 ? static_cast<unsigned long>(settings.max_jobs) : scan.jobs_indexed;
  print("%ld %ld %ld\n", static_cast<long>(start + 1), scan.index.begin().entry().log_number,
        static_cast<long>(start + count));
  output_channel().append_log_text(scan.stamp);
  output_channel().append("\n");
}

bool is_regular(std::FILE* stream) {
  struct stat info;
  return fstat(fileno(stream), &info) == 0 && S_ISREG(info.st_mode);
}

// A log is read from its end unless the display counts from its start (-s,
// and the job numbers of -S) or a cursor file says where to begin.
// JOBVIEW_SCAN_STEP, for the tests: 0 reads every log whole, N > 0 makes the
// first step back N bytes long.
// A selection counts only the jobs it shows toward -m, which a reading back
// cannot tell: the logs are then read whole.
ScanOptions scan_options(const RunSettings& settings, const JobCounter& jobs_shown) {
  ScanOptions options{settings.start_after, settings.max_jobs, false, jobs_shown};
  options.from_end = settings.start_after == 0 && !settings.stamp &&
                     settings.cursor_file == nullptr && !jobs_shown;
  if (const char* step = std::getenv("JOBVIEW_SCAN_STEP")) {
    const long bytes = std::strtol(step, nullptr, 10);
    if (bytes <= 0) options.from_end = false;
    set_scan_first_step(bytes);
  }
  return options;
}

[[noreturn]] void out_of_memory() {
  error("Out of memory.\n");
  // Not exit(): the other thread may be using what exit() would tear down.
  _exit(1);
}

// The command line has checked every text already.
void choose_jobs(const RunSettings& settings, JobSelection& selection) {
  for (const std::string& match : settings.matches) selection.add_match(match);
  const int64_t now = std::time(nullptr);
  int64_t seconds = 0;
  if (settings.since != nullptr && read_time_word(settings.since, now, seconds)) {
    selection.set_since(seconds);
  }
  if (settings.until != nullptr && read_time_word(settings.until, now, seconds)) {
    selection.set_until(seconds);
  }
}

}  // namespace

void end_run_when_out_of_memory() { std::set_new_handler(out_of_memory); }

int run(int argc, char** argv) {
  end_run_when_out_of_memory();
  RunSettings settings;
  DisplayTemplate& tpl = display_template();
  switch (parse_command_line(argc, argv, settings, tpl)) {
    case CommandLine::kRun:
      break;
    case CommandLine::kHelp:
      output_channel().append(help_text(settings, tpl));
      return 0;
    case CommandLine::kVersion:
      output_channel().append(version_text());
      return 0;
    case CommandLine::kUsageError:
      // Into a file or a pipe the usage text would pass for output.
      note(usage_text(settings, tpl));
      return 1;
    case CommandLine::kFailed:
      return 1;
  }
  // Follow mode reads the log again from where it was: only a file can be.
  std::FILE* followed = nullptr;
  if (settings.follow) {
    if (settings.logs.size() == 1 && std::strcmp(settings.logs.front(), "-") != 0) {
      followed = locate_file(settings.logs.front(), "r");
    }
    if (followed == nullptr || !is_regular(followed)) {
      error("Option -f needs one job log that is a regular file.\n");
      return 1;
    }
    catch_stop_signals();
  }
  // JSON lines show every attribute: no template has a say in them.
  if (!settings.json && !choose_template(settings, tpl)) return 1;
  clear_location();
  CursorScan cursor;
  if (settings.cursor_file != nullptr) {
    if (!read_cursor_file(settings.cursor_file, cursor.known)) {
      error("Unable to read cursor file '%s'.\n", settings.cursor_file);
      return 1;
    }
    cursor.from_points = settings.start_after == 0 && !settings.stamp;
  }
  // Before the lock: a pipe's writer may itself wait for the lock.
  std::vector<LogSource> logs;
  if (followed != nullptr) {
    logs.emplace_back(settings.logs.front());
    logs.back().stream = followed;
  } else if (!prepare_log_sources(settings.logs, logs)) {
    return 1;
  }

  LockHandle lock = 0;
  if (x_create_lock(&lock, "accounting", 0) != 0) {
    error("Unable to access accounting lock.\n");
    return 1;
  }
  if (x_try_lock(lock) != 0) {
    // Said on a terminal only: there a silent wait looks like a hang.
    if (error_stream_is_terminal()) {
      note("Waiting for the accounting lock, which another process holds.\n");
    }
    if (followed == nullptr && settings.wait_seconds < 0) {
      x_lock(lock);
    } else if (x_lock_wait(lock, settings.wait_seconds < 0 ? LONG_MAX : settings.wait_seconds) !=
               0) {
      // A follow ends while it waits, as between its batches.
      if (followed != nullptr && stop_requested()) return 0;
      // A scheduled run gives up rather than hang behind a holder that stays.
      error("Timed out waiting for the accounting lock.\n");
      return 1;
    }
  }

  // Past the error limit the run ends where it stands, with the lock still
  // held until the process is gone.
  JobSelection selection;
  choose_jobs(settings, selection);
  SelectedJobs selected(selection);
  const SelectedJobs* chosen = selection.active() ? &selected : nullptr;
  JobCounter jobs_shown;
  if (chosen != nullptr) {
    jobs_shown = [&selected](const RecordIndex& index, unsigned long limit) {
      return selected.decide(index, limit);
    };
  }
  ScanOptions options = scan_options(settings, jobs_shown);
  options.cursor = settings.cursor_file != nullptr ? &cursor : nullptr;
  const ScanResult scan = scan_job_logs(logs, options);
  if (error_limit_reached()) return 1;
  // Jobs are chosen in display order only until -m of them are.
  if (chosen != nullptr && scan.ok) {
    selected.decide(scan.index, static_cast<unsigned long>(settings.max_jobs));
  }
  const bool any_shown = chosen != nullptr ? selected.count() != 0 : !scan.index.empty();
  if (settings.stamp && any_shown) write_stamp(settings, scan);
  if (error_limit_reached()) return 1;
  DisplayCount count;
  bool shown = scan.ok && show_records(scan.index, settings, tpl, chosen, &count);
  // The display is complete only once it has left the buffer, so that happens under the lock.
  shown = output_channel().flush() && shown;
  // Only a run that showed everything moves the points on: after a failure
  // the records are shown again rather than lost.
  if (shown && settings.cursor_file != nullptr && !error_limit_reached()) {
    if (const int failure = replace_file(settings.cursor_file, cursor_file_text(scan.points))) {
      error("Unable to write cursor file '%s': %s.\n", settings.cursor_file,
            std::strerror(failure));
      shown = false;
    }
  }
  if (shown && followed != nullptr) {
    return follow_log(settings, tpl, chosen != nullptr ? &selection : nullptr, followed, lock,
                      count);
  }

  x_unlock(lock);
  return shown ? 0 : 1;
}

int finish_output(int status) {
  OutputChannel& out = output_channel();
  if (out.flush()) return status;
  clear_location();  // also when the run ended before the template was settled
  error("Unable to write standard output: %s.\n", std::strerror(out.error_number()));
  return 1;
}
