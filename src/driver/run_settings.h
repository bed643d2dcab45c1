#pragma once

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
};
