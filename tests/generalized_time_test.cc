#include "platform/generalized_time.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <ctime>
#include <string>
#include <vector>

#include "render/time_value.h"
#include "support/case_table.h"
#include "support/scoped_env.h"

namespace {

TEST(GeneralizedTime, UtcOffsetAndUnreadableTexts) {
  for (const auto& row : rows_of("value_cases.txt", "time", 2))
    EXPECT_EQ(oa_epoch_from_generalized(row[0].c_str()), std::stol(row[1])) << row[0];
}

long offset_at(int64_t instant) {
  const std::time_t t = static_cast<std::time_t>(instant);
  std::tm local;
  localtime_r(&t, &local);
  return local.tm_gmtoff;
}

// A change of the UTC offset: at `at` it goes from `before` to `after`.
struct Change {
  int64_t at;
  long before, after;
};

// The changes of a year in the process's time zone, found hour by hour and
// then to the second.
std::vector<Change> changes_in(int year) {
  std::tm start{};
  start.tm_year = year - 1900;
  start.tm_mday = 1;
  const int64_t from = timegm(&start);
  std::vector<Change> changes;
  for (int64_t t = from; t < from + 366 * 86400; t += 3600) {
    if (offset_at(t) == offset_at(t + 3600)) continue;
    int64_t low = t, high = t + 3600;  // the offset differs at high, not at low
    while (high - low > 1)
      (offset_at((low + high) / 2) == offset_at(low) ? low : high) = (low + high) / 2;
    changes.push_back({high, offset_at(low), offset_at(high)});
  }
  return changes;
}

std::string reading(int64_t clock) {
  const std::time_t t = static_cast<std::time_t>(clock);
  std::tm tm;
  gmtime_r(&t, &tm);
  char text[24];
  std::strftime(text, sizeof text, "%Y%m%d%H%M%S", &tm);
  return text;
}

// The local readings that a change repeats or skips lie from `low` to before
// `high`: a repeated one is its first occurrence and a skipped one is read
// with the offset before the change, so each is read with that offset, and
// the first reading from `high` on with the offset after it. The edges of
// every change of a year, north and south, a change of half an hour, a zone
// whose rules changed (Sao Paulo has kept no summer time since 2019), past
// 2038 and in the last year there is.
TEST(GeneralizedTime, LocalTimesAtTheEdgesOfEveryChange) {
  for (const char* zone : {"Europe/Berlin", "Australia/Sydney", "Australia/Lord_Howe",
                           "America/Sao_Paulo", "America/New_York"}) {
    ScopedEnv tz("TZ", zone);
    forget_local_times();
    size_t count = 0;
    for (const int year : {2018, 2025, 2040, 9999}) {
      for (const Change& c : changes_in(year)) {
        ++count;
        const int64_t low = c.at + std::min(c.before, c.after);
        const int64_t high = c.at + std::max(c.before, c.after);
        for (const int64_t clock : {low - 1, low, (low + high) / 2, high - 1, high}) {
          const int64_t expected = clock - (clock < high ? c.before : c.after);
          EXPECT_EQ(oa_epoch_from_generalized(reading(clock).c_str()), expected)
              << zone << " " << reading(clock);
        }
      }
    }
    EXPECT_EQ(count, std::string(zone) == "America/Sao_Paulo" ? 2u : 8u) << zone;
  }
}

// The display remembers the last local hour; it must agree with the C library
// at every step, across daylight saving changes, half-hour and odd offsets.
TEST(TimeValue, TimesAcrossDaylightSavingChanges) {
  const char* format = "%Y-%m-%d %H:%M:%S %Z %z %j %a";
  for (const char* zone : {"America/New_York", "Australia/Lord_Howe", "Asia/Kathmandu", "UTC"}) {
    ScopedEnv tz("TZ", zone);
    forget_local_times();
    std::string ours;
    // Steps of 7 minutes 1 second over the spring and autumn changes of 2026.
    for (const std::time_t from : {std::time_t{1772323200}, std::time_t{1788220800}}) {
      for (std::time_t t = from; t < from + 60 * 86400; t += 421) {
        std::tm utc;
        gmtime_r(&t, &utc);
        char text[32];
        std::strftime(text, sizeof text, "%Y%m%d%H%M%SZ", &utc);
        std::tm local;
        localtime_r(&t, &local);
        for (const char* f : {format, "%h %d, %H:%M:%S", "%d/%m/%Y %H:%M %% %b"}) {
          ours = format_time_value(text, f);
          char expected[128];
          std::strftime(expected, sizeof expected, f, &local);
          ASSERT_EQ(ours, expected) << zone << " at " << t << " with " << f;
        }
      }
    }
  }
}

}  // namespace
