#pragma once

// One whole run of jobview; returns the exit status.
int run(int argc, char** argv);

// Flushes standard output and turns a failed write into status 1 with a message.
int finish_output(int status);

// From here on an allocation that fails anywhere, on either thread, ends the
// process: "Out of memory." through the error channel and status 1. What was
// handed to standard output before may be incomplete; the lock goes with the
// process.
void end_run_when_out_of_memory();
