// The plain lookup and the one for names in log lines (its key built without
// branches) agree for every length and tell apart any single-byte change.

#include "render/wanted_names.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

TEST(WantedNames, BothLookupsAgreeForEveryLengthAndByte) {
  // 40 names, one of each length (a table that can be perfect), and 100.
  for (const size_t count : {40, 100}) {
    WantedNames wanted;
    std::vector<std::string> names;
    for (size_t i = 0; i < count; ++i) {
      std::string name;
      for (size_t j = 0; j <= i % 40; ++j) name += static_cast<char>('a' + (i / 40 + j * 7) % 26);
      names.push_back(name);
      ASSERT_EQ(wanted.add(name), static_cast<int>(i));
    }
    auto expect_found = [&](std::string name) {
      const auto same = std::find(names.begin(), names.end(), name);
      const int id = same == names.end() ? WantedNames::kNone : int(same - names.begin());
      EXPECT_EQ(wanted.find(name), id) << name;
      const size_t size = name.size();
      name += "=\"value\"\n";  // as it stands in a log line
      EXPECT_EQ(wanted.find_in_log_line(std::string_view(name.data(), size)), id) << name;
    };
    for (const std::string& name : names) {
      for (const std::string& other : {name, name + "x", name.substr(1)}) expect_found(other);
      for (size_t at = 0; at < name.size(); ++at) {
        for (const char flip : {'\x01', '\x20', '\x80'}) {
          std::string other = name;
          other[at] ^= flip;
          expect_found(other);
        }
      }
    }
  }
}
