#pragma once

#include "diag/output_channel.h"
#include "joblog/record_index.h"

// Writes the record of `entry` as stored, from its header line up to the end
// the scan found for it: every byte as it is, NUL bytes, carriage returns and
// line ends included (on a terminal, controls as the channel shows them).
//
// A writer that ignores the accounting lock may have cut or rewritten the log
// since the scan. Before the record is copied, the log must still have the
// size the scan saw, and a record header line of the record's kind must
// begin at its offset; the copy must then find every byte. False when any of
// that fails: the log no longer holds the record the scan found there, and
// the display is to stop (some of the record may have been written).
bool dump_raw_record(const JobEntry& entry, OutputChannel& out);
