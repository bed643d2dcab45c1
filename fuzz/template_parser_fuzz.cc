// The template parser fed any bytes as a template file; a template it accepts
// then lays out a small fixed log, so that the renderer meets every item,
// width and format a file can express.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "fuzz_support.h"
#include "joblog/job_log_scan.h"
#include "render/record_renderer.h"
#include "template/display_template.h"
#include "template/template_parser.h"

namespace {

constexpr char kTemplateName[] = "fuzz.tpl";

constexpr char kLog[] =
    " Job Log created 20261204\n"
    "7\n"
    "doc.1\n"
    "  document-name \"a.pdf\"\n"
    "printer:41\n"
    "  user-name = \"guest\"\n"
    "  job-state-reasons none\n"
    "  job-state-reasons queued\n"
    "  submission-time 20261204005602Z\n"
    "  completion-time 20261204T0056\n"
    "printer:42.1\n"
    "  job-name \"a \"quoted\" name\"\n";

// A width of many digits asks the C library for millions of spaces: correct,
// but it would slow the fuzzer down to nothing.
bool widths_are_modest(const DisplayList& list) {
  for (const DisplayItem& item : list) {
    if (!item.field_width) continue;
    size_t digits = 0;
    for (const char c : *item.field_width) {
      digits = (c >= '0' && c <= '9') ? digits + 1 : 0;
      if (digits > 4) return false;
    }
  }
  return true;
}

void show(const DisplayTemplate& tpl, const std::string& log) {
  const ScanResult scan = scan_job_logs({log.c_str()}, 0, -1);
  RecordRenderer renderer(tpl, false);
  renderer.print_text_list(tpl.header_lines);
  for (RecordIndex::Cursor cursor = scan.index.begin(); !cursor.done(); cursor.next()) {
    const JobEntry entry = cursor.entry();
    renderer.render_record(entry.is_job ? tpl.job_items : tpl.document_items, entry);
  }
  renderer.print_text_list(tpl.trailer_lines);
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  fuzz::quiet_output();
  // The template is found under SESSPATH by a short name, so that the lookup's
  // second try is exercised too.
  setenv("SESSPATH", fuzz::scratch_dir().c_str(), 1);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const std::string log =
      fuzz::write_input("fixed.log", reinterpret_cast<const uint8_t*>(kLog), sizeof kLog - 1);
  fuzz::write_input(kTemplateName, data, size);
  DisplayTemplate tpl = builtin_display();
  fuzz::reset_error_count();
  fuzz::track_program_streams();
  const bool accepted = parse_template(kTemplateName, tpl);
  if (accepted && widths_are_modest(tpl.job_items) && widths_are_modest(tpl.document_items)) {
    show(tpl, log);
  }
  fuzz::close_program_streams();
  return 0;
}
