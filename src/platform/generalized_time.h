#pragma once

#include <ctime>

// The device's time conversion: seconds since the epoch for a generalized-time
// text YYYYMMDDHH[MM[SS]][(.|,)digits][Z|+HH|-HH|+HHMM|-HHMM], local time when
// no zone is given; 0 for any text it cannot read.
std::time_t oa_epoch_from_generalized(const char* text);
