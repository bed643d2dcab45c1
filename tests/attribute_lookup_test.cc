#include "render/attribute_lookup.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "support/case_table.h"
#include "support/temp_dir.h"

namespace {

TEST(CleanValue, Table) {
  for (const auto& row : rows_of("value_cases.txt", "clean", 2))
    EXPECT_EQ(clean_value(row[0]), row[1]) << testing::PrintToString(row[0]);
}

// What the display keeps of one attribute line in a record, as [name]=[value]:
// read line by line, or, as a record the scan delimited, in place.
std::string kept(const std::string& line, const std::vector<std::string>& names,
                 bool in_place = false) {
  TempDir dir;
  std::FILE* stream = std::fopen(dir.write("log", "j:1\n" + line + "j:2\n").c_str(), "r");
  LogFile log(stream);
  if (in_place) log.note_scanned();
  WantedNames wanted;
  for (const auto& name : names) wanted.add(name);
  RecordView view;
  view.read(log, 0, wanted, in_place ? static_cast<int64_t>(4 + line.size()) : -1);
  std::fclose(stream);
  std::string shown;
  for (const auto& name : names) {
    const size_t at = view.find_attribute(wanted.find(name));
    if (at != RecordView::npos) shown += "[" + name + "]=[" + std::string(view.value(at)) + "]";
  }
  return shown.empty() ? "<no name>" : shown;
}

// Each line also after blanks that make it longer than the read window, so
// that it is read by position, and in place, by vector compares (a log with a
// NUL byte is never read so): the same rules, the same value.
TEST(AttributeLines, Table) {
  const auto rows = rows_of("value_cases.txt", "attribute", 2);
  std::vector<std::string> names;
  for (const auto& row : rows) {
    const std::string name = row[1].substr(1, row[1].find("]=[") - 1);
    if (row[1][0] == '[' && std::find(names.begin(), names.end(), name) == names.end()) {
      names.push_back(name);
    }
  }
  for (const auto& row : rows) {
    // The plain name search (for machines without the eight-byte one) agrees.
    std::string_view name;
    const std::string text = row[0].substr(0, row[0].find_first_of("\r\n"));
    EXPECT_EQ(attribute_name(text, name) ? "[" + std::string(name) + "]" : "<no name>",
              row[1][0] == '[' ? row[1].substr(0, row[1].find("]=[") + 1) : row[1]);
    EXPECT_EQ(kept(row[0], names), row[1]) << testing::PrintToString(row[0]);
    EXPECT_EQ(kept(std::string(kReadWindow, ' ') + row[0], names), row[1])
        << testing::PrintToString(row[0]);
    if (row[0].find('\0') == std::string::npos) {
      EXPECT_EQ(kept(row[0], names, true), row[1]) << testing::PrintToString(row[0]);
    }
  }
  // In place, a line ends within 64 bytes of its name's end or further on,
  // read from the bit masks of those bytes or by a longer search.
  for (size_t size = 56; size <= 72; ++size) {
    for (const char* end : {"\n", "\r\n"}) {
      const std::string quoted = "  a \"" + std::string(size - 2, 'x') + "\"" + end;
      const std::string bare = "  a =" + std::string(size, 'y') + "\"z" + end;
      EXPECT_EQ(kept(quoted, {"a"}, true), kept(quoted, {"a"})) << size;
      EXPECT_EQ(kept(bare, {"a"}, true), kept(bare, {"a"})) << size;
    }
  }
  // In place, a value after more than 64 blanks; just over the in-place size, read by lines.
  EXPECT_EQ(kept("  a" + std::string(70, ' ') + "x\n", {"a"}, true), "[a]=[x]");
  EXPECT_EQ(kept("  a x\n  b " + std::string(16 << 10, 'y') + "\n", {"a"}, true), "[a]=[x]");
}

class RecordViewTest : public ::testing::Test {
 protected:
  // Reads the record at `offset` of `content`; returns every value of each
  // name in turn (in the order first added), as a '+' item writes them.
  std::vector<std::string> read(const std::string& content, int64_t offset,
                                const std::vector<std::string>& names) {
    for (const auto& name : names) wanted_.add(name);
    std::FILE* stream = std::fopen(dir_.write("log", content).c_str(), "r");
    LogFile log(stream);
    view_.read(log, offset, wanted_);
    std::vector<std::string> values;
    for (int id = 0; id < static_cast<int>(wanted_.size()); ++id) {
      view_.for_each_value(id, [&values](std::string_view value) { values.emplace_back(value); });
    }
    std::fclose(stream);
    return values;
  }
  TempDir dir_;
  WantedNames wanted_;
  RecordView view_;
};

TEST_F(RecordViewTest, NamesOfEveryLengthEndedByEachDelimiter) {
  std::string content = "j:1\n";
  std::vector<std::string> names;
  std::vector<std::string> expected;
  for (size_t length = 1; length <= 20; ++length) {
    for (const char* end : {" v", "\tv", "\n"}) {
      names.push_back(std::string(length, 'n'));
      content += "  " + std::string(length, 'n') + end + "\n";
    }
  }
  // A name of the longest a device writes, ended by the line end.
  content += " " + std::string(255, 'x');
  names.push_back(std::string(255, 'x'));
  content += "\n j:2\n";
  const auto values = read(content, 0, names);
  for (size_t length = 1; length <= 20; ++length) {
    expected.insert(expected.end(), {"v", "v", ""});
  }
  expected.push_back("");
  EXPECT_EQ(values, expected);
}

TEST_F(RecordViewTest, NamesAlikeInTheirFirstEightBytes) {
  const auto values = read("j:1\n  job-name-b 2\n  job-name-a 1\n  job-name 0\n  job-nam x\n", 0,
                           {"job-name-a", "job-name", "job-name-c"});
  EXPECT_EQ(values, (std::vector<std::string>{"1", "0"}));
}

}  // namespace
