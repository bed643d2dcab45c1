#pragma once

#include <string>
#include <vector>

// What the command line and the environment set for one run.
struct RunSettings {
  const char* program_name = "";        // invocation name after its last '/'
  int display_lines = 25;               // shown in the usage text only
  long max_jobs = -1;                   // compared as unsigned: -1 means no limit
  long start_after = 0;                 // job records of the first log passed over
  long job_count = 0;                   // header repeated every n jobs (unsigned division); 0: once
  bool stamp = false;                   // -S
  bool raw = false;                     // -R
  const char* template_name = nullptr;  // -t, else $JLOG_TEMPLATE (an empty value counts)
  std::vector<const char*> logs;

  // Long options, as given; each feature checks and reads its own.
  std::vector<std::string> matches;   // --match NAME=PATTERN, --owner and --state as matches
  const char* since = nullptr;        // --since TIME, the last one given
  const char* until = nullptr;        // --until TIME, the last one given
  bool json = false;                  // --json
  const char* cursor_file = nullptr;  // --cursor-file FILE
  long wait_seconds = -1;             // --wait SECONDS; -1: wait as long as it takes
  bool follow = false;                // -f, --follow
};
