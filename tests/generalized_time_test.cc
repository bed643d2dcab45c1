#include "platform/generalized_time.h"

#include <gtest/gtest.h>

#include <ctime>
#include <string>

#include "render/time_value.h"
#include "support/case_table.h"
#include "support/scoped_env.h"

namespace {

TEST(GeneralizedTime, UtcOffsetAndUnreadableTexts) {
  for (const auto& row : rows_of("value_cases.txt", "time", 2))
    EXPECT_EQ(oa_epoch_from_generalized(row[0].c_str()), std::stol(row[1])) << row[0];
}

// The display remembers the last local hour; it must agree with the C library
// at every step, across daylight saving changes, half-hour and odd offsets.
TEST(TimeValue, TimesAcrossDaylightSavingChanges) {
  const char* format = "%Y-%m-%d %H:%M:%S %Z %z %j %a";
  for (const char* zone : {"America/New_York", "Australia/Lord_Howe", "Asia/Kathmandu", "UTC"}) {
    ScopedEnv tz("TZ", zone);
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
