#pragma once

#include <string>
#include <vector>

#include "template/display_template.h"

// The settings of one display run, as the command line gives them.
struct ReferenceRun {
  std::vector<std::string> logs;  // opened as named
  long start_after = 0;           // -s
  long max_jobs = -1;             // -m; compared as unsigned
  long job_count = 0;             // -r
  bool raw = false;               // -R
};

// What jobview writes to standard output for `run` with `tpl`, computed the
// slow and plain way: one stdio stream per log read 254 characters at a time,
// each record body re-read from its start for every item. It is the yardstick
// the fast display is held to, so it favours being obviously right over speed.
// A log that cannot be opened or is not a job log gives no display at all.
std::string reference_display(const ReferenceRun& run, const DisplayTemplate& tpl);
