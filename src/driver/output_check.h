#pragma once

// Standard output can fail at any time (a full disk, a closed pipe with SIGPIPE
// ignored). The display checks it after each record so that it stops early,
// and the exit checks it once more so that a lost display is never success.

// True once the output channel's stream has failed; the first failure seen
// keeps its errno for the closing message.
bool output_failed();

// Pushes buffered output out; false when it (or anything before it) failed.
bool flush_output();

// The errno of the first failure seen (EIO when none was recorded).
int output_error();
