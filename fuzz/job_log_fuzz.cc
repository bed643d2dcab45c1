// The scan and the display of a job log made of any bytes: under the built-in
// display, under a template with every value kind and awkward widths (fill
// off, start-after, limits, two logs, CSV and JSON fields), in raw mode, and
// cut to half its size between the scan and the display (a writer that ignores
// the lock); and the built-in display on one thread and on two, which must
// agree. The fuzz build's read window is small, so long lines and records are
// common.

#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "diag/output_channel.h"
#include "driver/output_loop.h"
#include "driver/run_settings.h"
#include "fuzz_support.h"
#include "joblog/byte_classes.h"
#include "joblog/job_log_scan.h"
#include "template/display_template.h"

namespace {

constexpr uint8_t kOtherLog[] = " Job Log created O\n2\nq:1\n  user-name o\n";

DisplayItem item(const char* name, const char* width, ValueKind kind = ValueKind::kNone,
                 const char* format = nullptr) {
  DisplayItem i;
  i.attribute_name = name;
  i.field_width = width;
  i.value_kind = kind;
  if (format != nullptr) i.value_format = format;
  return i;
}

DisplayItem text(const char* line) {
  DisplayItem i;
  i.trailing_text = line;
  return i;
}

DisplayTemplate every_kind() {
  DisplayTemplate tpl;
  DisplayItem framed = item("job-state-reasons", "-10.5", ValueKind::kRepeated, " ");
  framed.leading_text = "<%s%n";
  framed.trailing_text = ">\n";
  tpl.job_items = {
      item("job-identifier", "6.6"),
      item("job-identifier", "-20", ValueKind::kIdentifier, "$:#"),
      item("job-identifier", "3", ValueKind::kIdentifier, ""),
      item("job-identifier", ".2", ValueKind::kIdentifier, "#-$-#x$$$$$$$$$$$$$$$$$$$$$$$$$$$$$$$"),
      item("job-identifier", "", ValueKind::kRepeated, " "),
      item("submission-time", "30", ValueKind::kTime, "%Y-%m-%d %H:%M:%S %z %j %a"),
      item("completion-time", "-16", ValueKind::kTime,
           std::string(120, 'c').insert(0, "%").c_str()),
      item("processing-time", "16", ValueKind::kTime, kDefaultTimeFormat),
      framed,
      item("user-name", "-32.32"),
      item("job-name", "40000"),
      item("job-type", "99999999999"),
      item("total-job-octets", "0008"),
      item("job-copy-count", "-.-"),
      item("", "5", ValueKind::kTime, ""),
      item(std::string(300, 'n').c_str(), "1"),
  };
  tpl.document_items = {
      item("document-name", "-20.20", ValueKind::kRepeated, " "),
      item("job-identifier", "4", ValueKind::kIdentifier, "$"),
      item("document-state", "2147483648.1"),
  };
  tpl.header_lines = {text("header %d\n"), text("")};
  tpl.trailer_lines = {text("trailer\n")};
  return tpl;
}

void show(const std::vector<LogSource>& logs, const RunSettings& settings,
          const DisplayTemplate& tpl) {
  const ScanResult scan = scan_job_logs(logs, settings.start_after, settings.max_jobs);
  if (scan.ok) show_records(scan.index, settings, tpl);
}

// Work shared with a second thread from a few bytes and records on (the scan
// in halves from 64 bytes, the display in stretches of two groups), or never.
void share_work(bool shared) {
  set_scan_halves_min(shared ? 64 : INT64_MAX);
  set_display_stretch(shared ? 2 : SIZE_MAX / 8);
}

// The built-in display of the log, made on one thread and then on two: the
// bytes must be the same.
void compare_threads(const char* log, const DisplayTemplate& tpl) {
  output_channel().flush();  // what the last input's runs left goes where they went
  std::string made[2];
  for (int way = 0; way < 2; ++way) {
    share_work(way == 1);
    char* bytes = nullptr;
    size_t size = 0;
    std::FILE* memory = open_memstream(&bytes, &size);
    if (memory == nullptr) std::abort();
    output_channel().set_stream(memory);
    show({log}, RunSettings{}, tpl);
    output_channel().flush();
    output_channel().set_stream(nullptr);
    std::fclose(memory);
    made[way].assign(bytes, size);
    std::free(bytes);
  }
  if (made[0] != made[1]) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  fuzz::quiet_output();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const DisplayTemplate builtin = builtin_display();
  static const DisplayTemplate kinds = every_kind();
  static DisplayTemplate kinds_without_fill = [] {
    DisplayTemplate tpl = every_kind();
    tpl.missing_fill.reset();
    return tpl;
  }();
  // Every value kind once more, written as CSV and JSON fields in turn.
  static const DisplayTemplate exports = [] {
    DisplayTemplate tpl = every_kind();
    bool csv = true;
    for (DisplayList* list : {&tpl.job_items, &tpl.document_items}) {
      for (DisplayItem& i : *list) i.escaping = (csv = !csv) ? Escaping::kCsv : Escaping::kJson;
    }
    return tpl;
  }();
  const std::string path = fuzz::write_input("input.log", data, size);
  const char* log = path.c_str();
  fuzz::reset_error_count();
  fuzz::track_program_streams();

  // Each input goes through one of the vector levels (those the processor
  // has), on one thread and on two; the next runs stay on one (a thread
  // started for each would cost most of the fuzzing time), the cut log is
  // read by two again.
  use_vector_level(static_cast<VectorLevel>(size % 3));
  compare_threads(log, builtin);
  share_work(false);

  RunSettings plain;

  RunSettings limited;
  limited.start_after = 1;
  limited.max_jobs = 2;
  limited.job_count = 1;
  show({log, log}, limited, kinds);
  limited.start_after = -5;
  limited.max_jobs = -1;
  limited.job_count = -1;
  show({log}, limited, kinds_without_fill);
  show({log}, limited, exports);

  RunSettings raw;
  raw.raw = true;
  raw.job_count = 3;
  show({log}, raw, kinds);

  // The second log takes the shared read window, so the display reads the
  // cut log afresh.
  static const std::string other = fuzz::write_input("other.log", kOtherLog, sizeof kOtherLog - 1);
  share_work(true);
  const ScanResult scan = scan_job_logs({log, other.c_str()}, 0, -1);
  if (truncate(log, static_cast<off_t>(size / 2)) != 0) std::abort();
  if (scan.ok) {
    show_records(scan.index, plain, kinds);
    show_records(scan.index, raw, kinds);
  }

  fuzz::close_program_streams();
  return 0;
}
