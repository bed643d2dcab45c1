#pragma once

#include <cstdio>
#include <string_view>

#include "diag/reader_context.h"

// The error channel (standard error, counted against the error limit) and the
// output channel (standard output). Both prefix their text with "%s:%4d: "
// while the current reader context has a name.

inline constexpr int kErrorLimit = 10;

// The process-wide state of the two channels, gathered in one place.
struct Diagnostics {
  ReaderContext* context = nullptr;  // the current reader context
  int error_count = 0;               // messages sent through error(), never reset by the program
  std::FILE* err = nullptr;          // null means stderr; tests may redirect
};
Diagnostics& diagnostics();

// Installs `context` when one is given; returns the current reader context.
ReaderContext* set_context(ReaderContext* context = nullptr);

// Writes a message to the error channel and counts it. The eleventh message of
// a run is followed by "... exceeded error count, exiting...\n"; from then on
// the run is over: both channels stay silent, and every caller that reports
// errors gives up and hands status 1 back to the top.
int error(const char* format, ...) __attribute__((format(printf, 1, 2)));
bool error_limit_reached();

// Writes text to the error stream as it stands, without a location and
// without counting it: the usage text after a usage error, a notice. Silent
// past the error limit.
void note(std::string_view text);
bool error_stream_is_terminal();

// Writes text to the output channel; not counted.
int print(const char* format, ...) __attribute__((format(printf, 1, 2)));
