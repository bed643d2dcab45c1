#include "platform/generalized_time.h"

#include <algorithm>
#include <cstdint>

namespace {

bool is_leap(int64_t year) { return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0; }

int days_in_month(int64_t year, int month) {
  static const int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  return month == 2 && is_leap(year) ? 29 : kDays[month - 1];
}

// Days from 1970-01-01 to the given civil date of the proleptic Gregorian calendar.
int64_t days_from_civil(int64_t year, int month, int day) {
  year -= month <= 2;
  const int64_t era = (year >= 0 ? year : year - 399) / 400;
  const int64_t year_of_era = year - era * 400;
  const int64_t day_of_year = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
  const int64_t day_of_era = year_of_era * 365 + year_of_era / 4 - year_of_era / 100 + day_of_year;
  return era * 146097 + day_of_era - 719468;
}

// The C locale's classes (the program sets no locale), without a call.
bool is_digit(char c) { return c >= '0' && c <= '9'; }
bool is_space(char c) { return c == ' ' || (c >= '\t' && c <= '\r'); }

// Reads `count` decimal digits; false when any of them is not a digit.
bool digits(const char*& p, int count, int& value) {
  value = 0;
  for (int i = 0; i < count; ++i, ++p) {
    if (!is_digit(*p)) return false;
    value = value * 10 + (*p - '0');
  }
  return true;
}

// The UTC offset in force at `instant` in the process's time zone (0 when the
// C library cannot tell). localtime_r is a pure function of the instant,
// unlike mktime, which starts from a guess it keeps for the whole process.
int64_t offset_at(int64_t instant) {
  const std::time_t t = static_cast<std::time_t>(instant);
  std::tm broken_down;
  return localtime_r(&t, &broken_down) != nullptr ? broken_down.tm_gmtoff : 0;
}

// The instant of a local clock reading `clock` (seconds as if the local clock
// were UTC). No offset exceeds a day, so the offsets a day before and a day
// after bound the instants that read so, while at most one change lies
// between them (changes are months apart). A reading that occurs twice is
// its first occurrence; one that a change skips is read with the offset in
// force before the change.
int64_t resolve_local(int64_t clock) {
  const int64_t before = offset_at(clock - 86400);
  const int64_t after = offset_at(clock + 86400);
  const bool before_fits = offset_at(clock - before) == before;
  const bool after_fits = after != before && offset_at(clock - after) == after;
  if (before_fits && after_fits) return clock - std::max(before, after);
  return after_fits && !before_fits ? clock - after : clock - before;
}

// The offset found for the last local hour converted on this thread, when
// that hour has one offset throughout: a log's times come in runs within an
// hour, and each costs the C library three or four lookups otherwise.
struct LocalHour {
  int64_t start = 1;  // a clock reading of a whole hour; 1 is none
  int64_t offset = 0;
};
thread_local LocalHour local_hour;

int64_t instant_of_local(int64_t clock) {
  const int64_t start = clock - ((clock % 3600) + 3600) % 3600;
  if (start == local_hour.start) return clock - local_hour.offset;
  const int64_t first = start - resolve_local(start);
  const int64_t last = start + 3599 - resolve_local(start + 3599);
  if (first != last) return resolve_local(clock);  // a change within the hour
  local_hour = LocalHour{start, first};
  return clock - first;
}

}  // namespace

std::time_t oa_epoch_from_generalized(const char* text) {
  if (text == nullptr) return 0;
  const char* p = text;
  while (is_space(*p)) ++p;

  int century_year, month, day, hour, minute = 0, second = 0;
  int high, low;
  if (!digits(p, 2, high) || !digits(p, 2, low) || !digits(p, 2, month) || !digits(p, 2, day) ||
      !digits(p, 2, hour)) {
    return 0;
  }
  century_year = high * 100 + low;
  if (is_digit(*p)) {
    if (!digits(p, 2, minute)) return 0;
    if (is_digit(*p) && !digits(p, 2, second)) return 0;
  }
  if (*p == '.' || *p == ',') {  // a fraction: seconds are truncated
    ++p;
    if (!is_digit(*p)) return 0;
    while (is_digit(*p)) ++p;
  }
  bool has_zone = false;
  int offset_seconds = 0;
  if (*p == 'Z') {
    has_zone = true;
    ++p;
  } else if (*p == '+' || *p == '-') {
    const int sign = *p == '-' ? -1 : 1;
    ++p;
    int offset_hours, offset_minutes = 0;
    if (!digits(p, 2, offset_hours)) return 0;
    if (is_digit(*p) && !digits(p, 2, offset_minutes)) return 0;
    if (offset_hours > 23 || offset_minutes > 59) return 0;
    has_zone = true;
    offset_seconds = sign * (offset_hours * 3600 + offset_minutes * 60);
  }
  while (is_space(*p)) ++p;
  if (*p != '\0') return 0;

  if (month < 1 || month > 12 || day < 1 || day > days_in_month(century_year, month) || hour > 23 ||
      minute > 59 || second > 60) {
    return 0;
  }
  const int64_t clock = days_from_civil(century_year, month, day) * 86400 + hour * 3600 +
                        minute * 60 + second;  // second 60 is the next minute's 00
  return static_cast<std::time_t>(has_zone ? clock - offset_seconds : instant_of_local(clock));
}

void forget_local_offsets() { local_hour = LocalHour{}; }
