#include "select/time_words.h"

#include <gtest/gtest.h>

#include <string>

#include "platform/generalized_time.h"
#include "support/case_table.h"
#include "support/scoped_env.h"

namespace {

TEST(TimeWords, EveryFormInTwoZonesAndTheTextsRefused) {
  for (const auto& row : read_case_table("time_word_cases.txt")) {
    ScopedEnv tz("TZ", row[0].c_str());
    forget_local_offsets();
    int64_t seconds = 0;
    const bool read = read_time_word(row[2].c_str(), std::stoll(row[1]), seconds);
    SCOPED_TRACE(row[0] + " '" + row[2] + "'");
    EXPECT_EQ(read, row[3] != "-");
    if (read) {
      EXPECT_EQ(seconds, std::stoll(row[3]));
    }
  }
  forget_local_offsets();
}

}  // namespace
