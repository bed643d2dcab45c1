#pragma once

#include <cstdint>

// Reads a TIME word of --since and --until into seconds since the epoch:
// YYYY-MM-DD[( |T)HH:MM[:SS]] in local time, a generalized time as the logs
// write it, "now", "today" and "yesterday" (local midnight starting that day),
// or -N followed by s, m, h or d (N of at most nine digits: that long before
// `now`). Local times are read as the logs' local times are (the first of a
// repeated hour, a skipped hour with the offset before the change). False for
// any other text, out-of-range fields included.
bool read_time_word(const char* text, int64_t now, int64_t& seconds);
