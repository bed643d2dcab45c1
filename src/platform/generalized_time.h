#pragma once

#include <ctime>

// The device's time conversion: seconds since the epoch for a generalized-time
// text YYYYMMDDHH[MM[SS]][(.|,)digits][Z|+HH|-HH|+HHMM|-HHMM], local time when
// no zone is given; 0 for any text it cannot read. A local time is read the
// same way whatever was converted before and on whatever thread: one that
// occurs twice (the hour repeated when the clocks go back) is its first
// occurrence, one that does not occur (the hour skipped when they go forward)
// is read with the offset in force before the change.
std::time_t oa_epoch_from_generalized(const char* text);

// Forgets the local offsets this thread remembers; for tests that change TZ.
void forget_local_offsets();
