#include "select/time_words.h"

#include <cstdio>
#include <cstring>
#include <ctime>

#include "platform/generalized_time.h"

namespace {

bool is_digit(char c) { return c >= '0' && c <= '9'; }

// Whether `count` digits stand at `text`.
bool digits_at(const char* text, int count) {
  for (int i = 0; i < count; ++i) {
    if (!is_digit(text[i])) return false;
  }
  return true;
}

// A generalized-time text converts to 0 when it cannot be read; the start of
// 1970 is no time a job log holds.
bool convert(const char* generalized, int64_t& seconds) {
  seconds = oa_epoch_from_generalized(generalized);
  return seconds != 0;
}

// YYYY-MM-DD, then optionally a space or 'T' and HH:MM, then optionally :SS,
// turned into YYYYMMDDHH[MM[SS]] for the conversion, which checks the ranges.
bool read_dashed(const char* text, int64_t& seconds) {
  if (!digits_at(text, 4) || text[4] != '-' || !digits_at(text + 5, 2) || text[7] != '-' ||
      !digits_at(text + 8, 2)) {
    return false;
  }
  char generalized[16];
  std::memcpy(generalized, text, 4);
  std::memcpy(generalized + 4, text + 5, 2);
  std::memcpy(generalized + 6, text + 8, 2);
  const char* rest = text + 10;
  if (*rest == '\0') {
    std::memcpy(generalized + 8, "00", 3);
    return convert(generalized, seconds);
  }
  if ((*rest != ' ' && *rest != 'T') || !digits_at(rest + 1, 2) || rest[3] != ':' ||
      !digits_at(rest + 4, 2)) {
    return false;
  }
  std::memcpy(generalized + 8, rest + 1, 2);
  std::memcpy(generalized + 10, rest + 4, 2);
  rest += 6;
  if (*rest == '\0') {
    generalized[12] = '\0';
    return convert(generalized, seconds);
  }
  if (*rest != ':' || !digits_at(rest + 1, 2) || rest[3] != '\0') return false;
  std::memcpy(generalized + 12, rest + 1, 2);
  generalized[14] = '\0';
  return convert(generalized, seconds);
}

// -N with a unit: at most nine digits, so that no count overflows.
bool read_relative(const char* text, int64_t now, int64_t& seconds) {
  if (*text++ != '-') return false;
  int64_t count = 0;
  int digits = 0;
  for (; is_digit(*text); ++text, ++digits) count = count * 10 + (*text - '0');
  if (digits == 0 || digits > 9 || text[0] == '\0' || text[1] != '\0') return false;
  int64_t unit;
  switch (*text) {
    case 's':
      unit = 1;
      break;
    case 'm':
      unit = 60;
      break;
    case 'h':
      unit = 3600;
      break;
    case 'd':
      unit = 86400;
      break;
    default:
      return false;
  }
  seconds = now - count * unit;
  return true;
}

int days_in_month(int year, int month) {
  static const int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
  return month == 2 && leap ? 29 : kDays[month - 1];
}

// Local midnight at the start of the day of `now`, or of the day before it:
// counted on the calendar, since a day around a change of clocks is not
// 24 hours long.
bool read_midnight(int64_t now, bool day_before, int64_t& seconds) {
  const std::time_t at = static_cast<std::time_t>(now);
  std::tm local;
  if (localtime_r(&at, &local) == nullptr) return false;
  int year = local.tm_year + 1900;
  int month = local.tm_mon + 1;
  int day = local.tm_mday;
  if (day_before && --day == 0) {
    if (--month == 0) {
      month = 12;
      --year;
    }
    day = days_in_month(year, month);
  }
  char generalized[32];
  std::snprintf(generalized, sizeof generalized, "%04d%02d%02d00", year, month, day);
  return convert(generalized, seconds);
}

}  // namespace

bool read_time_word(const char* text, int64_t now, int64_t& seconds) {
  if (std::strcmp(text, "now") == 0) {
    seconds = now;
    return true;
  }
  if (std::strcmp(text, "today") == 0) return read_midnight(now, false, seconds);
  if (std::strcmp(text, "yesterday") == 0) return read_midnight(now, true, seconds);
  if (text[0] == '-') return read_relative(text, now, seconds);
  if (digits_at(text, 4) && text[4] == '-') return read_dashed(text, seconds);
  return convert(text, seconds);
}
