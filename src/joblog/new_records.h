#pragma once

#include <cstdint>
#include <vector>

#include "joblog/log_file.h"

// Records that a writer has added to a log being followed: whole jobs, each
// after its documents, in file order.
struct NewRecords {
  std::vector<int64_t> records;  // offset << 1, with 1 in the low bit for a job
  int64_t end = 0;               // where the last job record ends: the next read begins there
};

// The records from `from` on, up to the end of the last job whose end lies
// within `limit` bytes (further when no job with its documents fits in them);
// none, and `end` at `from`, while no job follows. Documents with no job
// after them yet are left for a later read.
NewRecords read_new_records(LogFile& log, int64_t from, int64_t limit);
