#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "joblog/log_file.h"

// The value text of a line's text (what the line says, without its line end):
// between its first and last double quote when it holds two or more, else all.
std::string_view clean_value(std::string_view text);

// An attribute line is its first token, the attribute name (ended by a space,
// tab or newline), then its value. attribute_name finds the name in a line's
// text; false when it holds no token (an empty or all-blank line).
// attribute_value gives the cleaned value after the name: past the one
// delimiter that ended it, leading spaces and '=' skipped (tabs are part of
// the value).
bool attribute_name(std::string_view line, std::string_view& name);
std::string_view attribute_value(std::string_view line, std::string_view name);

// The attribute names a display list looks up, each given a small id. Lines of
// a record whose name is not wanted are passed over without being kept.
class WantedNames {
 public:
  static constexpr int kNone = -1;
  int add(std::string_view name);         // the id of name, added when new
  int find(std::string_view name) const;  // the id of name, or kNone
  // find() for a name inside a line held in the read window, which has
  // kLineSlack readable bytes after it: names are told apart by their first
  // eight bytes.
  int find_in_log_line(std::string_view name) const;
  size_t size() const { return names_.size(); }
  // No wanted name is longer than this.
  size_t max_length() const { return by_length_.empty() ? 0 : by_length_.size() - 1; }

 private:
  std::vector<std::string> names_;
  std::vector<uint64_t> prefixes_;  // the first eight bytes of each name, zero-padded
  // Names by length: a token is compared only with the names of its length.
  std::vector<std::vector<int>> by_length_;
};

// One record of a job log as the display needs it: its header text and, in
// file order, the values of the attribute lines of its body whose names are
// wanted, each cut at kValueMax bytes. Lines are whole lines however long;
// what is kept of them is bounded, so memory never grows with a line.
class RecordView {
 public:
  struct Line {
    int name_id;
    size_t value_start;
    size_t value_size;
    size_t next_same;  // the next kept line of the same name, or npos
  };

  // Reads the record whose header line begins at `offset`: the header line,
  // then body lines up to the first that does not begin with white space or
  // that meets the end of the file (never examined).
  void read(LogFile& log, int64_t offset, const WantedNames& wanted);

  // The header line's value text as split_job_identifier (render/job_identifier.h)
  // reads it: the identifier prefix, the character that splits it from the
  // number, and the number, the prefix and the number each cut at kValueMax.
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
  void read_header(const LineText& text);
  void keep(int name_id, std::string_view value);

  std::string header_;
  std::string scratch_;  // bytes of a line longer than the read window
  std::vector<Line> lines_;
  std::string values_;
  std::vector<size_t> first_;  // by name id: the first kept line of that name, or npos
  std::vector<size_t> last_;   // by name id, while reading: the last kept line
};
