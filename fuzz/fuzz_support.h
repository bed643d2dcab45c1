#pragma once

// What the fuzz targets share: the input as a file (the program reads logs and
// templates by name), quiet channels, and the program's streams closed after
// each input.

#include <cstddef>
#include <cstdint>
#include <string>

namespace fuzz {

// Sends standard output and the error channel to /dev/null.
void quiet_output();

// Puts the error count far below the limit: the limit's end of the run is a
// behaviour of whole runs (tested end to end), not a finding.
void reset_error_count();

// The target's own directory for its input files, removed at exit.
const std::string& scratch_dir();

// Writes the bytes to `name` in the target's scratch directory; returns the path.
std::string write_input(const char* name, const uint8_t* data, size_t size);

// Streams the program opens stay open until its exit; a fuzz target runs the
// program's parts a million times in one process, so it closes them itself.
void track_program_streams();
void close_program_streams();

}  // namespace fuzz
