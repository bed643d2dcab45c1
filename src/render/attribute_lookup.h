#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "joblog/log_file.h"

// The value text of a line: between its first and last double quote when it
// holds two or more, else the line without its last newline and what follows.
std::string_view clean_value(std::string_view text);

// An attribute line is its first token, the attribute name (ended by a space,
// tab or newline), then its value. attribute_name finds the name; false when
// the line holds no token (an empty or all-blank line). attribute_value gives
// the cleaned value after the name: past the one delimiter that ended it,
// leading spaces and '=' skipped (tabs are part of the value).
bool attribute_name(std::string_view line, std::string_view& name);
std::string_view attribute_value(std::string_view line, std::string_view name);

// The attribute names a display list looks up, each given a small id. Lines of
// a record whose name is not wanted are passed over without being kept.
class WantedNames {
 public:
  static constexpr int kNone = -1;
  int add(std::string_view name);         // the id of name, added when new
  int find(std::string_view name) const;  // the id of name, or kNone
  // find() for a name inside a line read from a log, which has kLogPieceSlack
  // readable bytes after it: names are told apart by their first eight bytes.
  int find_in_log_line(std::string_view name) const;
  size_t size() const { return names_.size(); }

 private:
  std::vector<std::string> names_;
  std::vector<uint64_t> prefixes_;  // the first eight bytes of each name, zero-padded
  // Names by length: a token is compared only with the names of its length.
  std::array<std::vector<int>, kLogPieceMax + 1> by_length_;
};

// One record of a job log as the display needs it: its cleaned header text and,
// in file order, the attribute lines of its body whose names are wanted.
class RecordView {
 public:
  struct Line {
    int name_id;
    size_t value_start;
    size_t value_size;
    size_t next_same;  // the next kept line of the same name, or npos
  };

  // Reads the record whose header line begins at `offset`: the header piece,
  // then body pieces up to the first that does not begin with white space or
  // that meets the end of the file (never examined).
  void read(LogFile& log, int64_t offset, const WantedNames& wanted);

  std::string_view header_text() const { return header_; }
  size_t line_count() const { return lines_.size(); }
  std::string_view value(size_t line) const {
    return {values_.data() + lines_[line].value_start, lines_[line].value_size};
  }

  // The first kept line at or after `from` whose name has `name_id`; npos when
  // the record holds no further such line.
  size_t find_attribute(int name_id, size_t from = 0) const;
  static constexpr size_t npos = static_cast<size_t>(-1);

 private:
  std::string header_;
  std::vector<Line> lines_;
  std::string values_;
  std::vector<size_t> first_;  // by name id: the first kept line of that name, or npos
  std::vector<size_t> last_;   // by name id, while reading: the last kept line
};
