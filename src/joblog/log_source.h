#pragma once

#include <cstdio>
#include <cstring>
#include <string_view>
#include <vector>

// What every job log begins with.
inline constexpr std::string_view kJobLogBanner = " Job Log created ";

// A job log named on the command line, as the scan takes it. "-" is standard
// input. The display reads each record a second time, which a pipe or a
// device cannot give: such a log is copied first, and shown from the copy.
struct LogSource {
  LogSource(const char* log_name) : name(log_name) {}  // implicit: a log opened by name

  bool is_standard_input() const { return std::strcmp(name, "-") == 0; }

  const char* name;             // as given
  std::FILE* stream = nullptr;  // a copy, or standard input as it is; null: opened by name
};

// Makes the sources of the logs named, in order: standard input as it is when
// it is a file, a copy of it or of any log that is not a regular file in an
// unlinked temporary file. A log that cannot be opened is left to the scan to
// report. False, with "Unable to copy log file" reported, when a copy fails;
// then no log is to be shown.
bool prepare_log_sources(const std::vector<const char*>& names, std::vector<LogSource>& sources);
