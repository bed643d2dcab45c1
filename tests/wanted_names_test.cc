// The two lookups of a wanted name, the plain one and the one for names inside
// log lines (which builds its key without branches), must agree for every
// name length around the key's 8-, 16- and 32-byte parts, and tell apart
// names that differ in any single byte.

#include "render/wanted_names.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace {

// `name` as it stands in a log line: bytes that are not blanks after it.
int found_in_line(const WantedNames& wanted, const std::string& name) {
  const std::string line = name + "=\"value\"\n";
  return wanted.find_in_log_line(std::string_view(line.data(), name.size()));
}

TEST(WantedNames, BothLookupsAgreeForEveryLengthAndByte) {
  // A table of 40 names (one short enough to be perfect) and one of 100.
  for (const size_t count : {40, 100}) {
    WantedNames wanted;
    std::vector<std::string> names;
    for (size_t i = 0; i < count; ++i) {
      const size_t length = i % 40 + 1;
      std::string name;
      for (size_t j = 0; j < length; ++j) name += static_cast<char>('a' + (i / 40 + j * 7) % 26);
      names.push_back(name);
      ASSERT_EQ(wanted.add(name), static_cast<int>(i));
    }
    for (size_t id = 0; id < count; ++id) {
      const std::string& name = names[id];
      SCOPED_TRACE(name);
      EXPECT_EQ(wanted.find(name), static_cast<int>(id));
      EXPECT_EQ(found_in_line(wanted, name), static_cast<int>(id));
      EXPECT_EQ(found_in_line(wanted, name + "x"), wanted.find(name + "x"));
      EXPECT_EQ(found_in_line(wanted, name.substr(1)), wanted.find(name.substr(1)));
      for (size_t at = 0; at < name.size(); ++at) {
        for (const char flip : {'\x01', '\x20', '\x80'}) {
          std::string other = name;
          other[at] ^= flip;
          const auto same = std::find(names.begin(), names.end(), other);
          const int expected =
              same == names.end() ? WantedNames::kNone : static_cast<int>(same - names.begin());
          EXPECT_EQ(wanted.find(other), expected) << at;
          EXPECT_EQ(found_in_line(wanted, other), expected) << at;
        }
      }
    }
  }
}

TEST(WantedNames, WholeNamesOnly) {
  WantedNames wanted;
  const int job = wanted.add("job");
  const int job_name = wanted.add("job-name");
  EXPECT_EQ(wanted.add("job"), job);
  EXPECT_EQ(wanted.find("job-name"), job_name);
  EXPECT_EQ(wanted.find("job-names"), WantedNames::kNone);
  EXPECT_EQ(wanted.find("Job"), WantedNames::kNone);
  EXPECT_EQ(wanted.find(std::string(300, 'x')), WantedNames::kNone);
}

}  // namespace
