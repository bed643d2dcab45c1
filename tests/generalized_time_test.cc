#include "platform/generalized_time.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>
#include <string>

#include "render/time_value.h"
#include "support/case_table.h"

namespace {

// Runs a test body under a real time zone, restoring the caller's afterwards.
class TimeZone {
 public:
  explicit TimeZone(const char* zone) {
    if (const char* old = std::getenv("TZ")) saved_ = old, had_ = true;
    setenv("TZ", zone, 1);
    tzset();
  }
  ~TimeZone() {
    if (had_)
      setenv("TZ", saved_.c_str(), 1);
    else
      unsetenv("TZ");
    tzset();
  }

 private:
  std::string saved_;
  bool had_ = false;
};

TEST(GeneralizedTime, Texts) {
  for (const auto& row : rows_of("value_cases.txt", "time", 2))
    EXPECT_EQ(oa_epoch_from_generalized(row[0].c_str()), std::stol(row[1])) << row[0];
  EXPECT_EQ(oa_epoch_from_generalized(nullptr), 0);
}

TEST(GeneralizedTime, NoZoneIsLocalTime) {
  {
    TimeZone utc("UTC");
    EXPECT_EQ(oa_epoch_from_generalized("20261204005602"), 1796345762);
  }
  TimeZone new_york("America/New_York");
  EXPECT_EQ(oa_epoch_from_generalized("20261203195602"), 1796345762);   // EST, UTC-5
  EXPECT_EQ(oa_epoch_from_generalized("20260704120000"), 1783180800);   // EDT, UTC-4
  EXPECT_EQ(oa_epoch_from_generalized("20261203195602Z"), 1796327762);  // a zone wins over TZ
}

TEST(TimeValue, ResultThatDoesNotFitIsEmpty) {
  TimeZone utc("UTC");
  std::string out;
  format_time_value("20261204005602Z", std::string(254, 'x').c_str(), out);
  EXPECT_EQ(out, std::string(254, 'x'));
  format_time_value("20261204005602Z", std::string(255, 'x').c_str(), out);
  EXPECT_EQ(out, "");
}

}  // namespace

namespace {

// The display remembers the last local hour; it must agree with the C library
// at every step, across daylight saving changes, half-hour and odd offsets.
TEST(TimeValue, AgreesWithTheCLibraryAcrossZoneChanges) {
  const char* format = "%Y-%m-%d %H:%M:%S %Z %z %j %a";
  for (const char* zone : {"America/New_York", "Australia/Lord_Howe", "Asia/Kathmandu", "UTC"}) {
    TimeZone tz(zone);
    std::string ours;
    // Steps of 7 minutes 1 second over the spring and autumn changes of 2026.
    for (const std::time_t from : {std::time_t{1772323200}, std::time_t{1788220800}}) {
      for (std::time_t t = from; t < from + 60 * 86400; t += 421) {
        std::tm utc;
        gmtime_r(&t, &utc);
        char text[32];
        std::strftime(text, sizeof text, "%Y%m%d%H%M%SZ", &utc);
        format_time_value(text, format, ours);
        std::tm local;
        localtime_r(&t, &local);
        char expected[128];
        std::strftime(expected, sizeof expected, format, &local);
        ASSERT_EQ(ours, expected) << zone << " at " << t;
        for (const char* common : {"%h %d, %H:%M:%S", "%d/%m/%Y %H:%M %% %b"}) {
          format_time_value(text, common, ours);
          std::strftime(expected, sizeof expected, common, &local);
          ASSERT_EQ(ours, expected) << zone << " at " << t;
        }
      }
    }
  }
}

}  // namespace
