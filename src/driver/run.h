#pragma once

// One whole run of jobview; returns the exit status.
int run(int argc, char** argv);

// Flushes standard output and turns a failed write into status 1 with a message.
int finish_output(int status);
