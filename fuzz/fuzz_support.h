#pragma once

// What the fuzz targets share: the input as a file (the program reads logs and
// templates by name), quiet channels, the program's streams closed after each
// input, and a trap for the program's deliberate exits.

#include <csetjmp>
#include <cstddef>
#include <cstdint>
#include <string>

namespace fuzz {

// Sends standard output and the error channel to /dev/null.
void quiet_output();

// Puts the error count far below the limit: the limit's exit is a behaviour of
// whole runs (tested end to end), not a finding.
void reset_error_count();

// The target's own directory for its input files, removed at exit.
const std::string& scratch_dir();

// Writes the bytes to `name` in the target's scratch directory; returns the path.
std::string write_input(const char* name, const uint8_t* data, size_t size);

// Streams the program opens stay open until its exit; a fuzz target runs the
// program's parts a million times in one process, so it closes them itself.
void track_program_streams();
void close_program_streams();

// Runs `body`; false when it ended the program through exit(), which the
// target's link (--wrap=exit) turns into a jump back here.
extern std::jmp_buf* exit_trap;
template <typename Body>
bool run_trapping_exit(Body&& body) {
  std::jmp_buf trap;
  if (setjmp(trap) != 0) {
    exit_trap = nullptr;
    return false;
  }
  exit_trap = &trap;
  body();
  exit_trap = nullptr;
  return true;
}

}  // namespace fuzz
