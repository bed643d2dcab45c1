#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "joblog/log_file.h"
#include "render/in_place_record.h"
#include "render/wanted_names.h"

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

// The name and the value of a record body line (one that begins with white
// space), read as the display reads them: the whole line, the name and the
// value each cut at kValueMax bytes. Bytes read by position are kept in the
// struct's own strings. False for a line that holds no name.
struct AttributeLine {
  std::string_view name;
  std::string_view value;
  std::string name_bytes;
  std::string value_bytes;
};
bool read_attribute_line(const LogLine& line, bool nul_free, AttributeLine& out);

// One record of a job log as the display needs it: its header text and the
// values of the attribute lines of its body whose names are wanted, each cut
// at kValueMax bytes. Lines are whole lines however long. What is kept is
// bounded, so memory grows neither with a line nor with a record: a small
// record read in place keeps every wanted line; any other keeps the first
// line of each wanted name, and for_each_value reads the record again for
// the rest.
class RecordView {
 public:
  RecordView();
  ~RecordView();

  struct Line {
    int name_id;
    size_t value_start;  // from values_base_
    size_t value_size;
    size_t next_same;  // the next kept line of the same name, or npos
  };

  // Reads the record whose header line begins at `offset`: the header line,
  // then body lines up to the first that does not begin with white space or
  // that meets the end of the file (never examined). `end`, when known, is
  // where the scan found the record's end (JobEntry::record_end).
  void read(LogFile& log, int64_t offset, const WantedNames& wanted, int64_t end = -1);
  // The record last read, when it was read in place; null when it was not.
  // Valid until the next read through the read window of any log.
  InPlaceRecord* in_place() const { return kept_all_ ? work_.get() : nullptr; }

  // The header line's value text as split_job_identifier (render/job_identifier.h)
  // reads it: the identifier prefix, the character that splits it from the
  // number, and the number, the prefix and the number each cut at kValueMax.
  std::string_view header_text() const { return header_; }
  size_t line_count() const { return lines_.size(); }
  // Valid until the next read through the read window of any log.
  std::string_view value(size_t line) const {
    return {values_base_ + lines_[line].value_start, lines_[line].value_size};
  }

  // The first kept line at or after `from` whose name has `name_id`; npos when
  // the record holds no further such line.
  size_t find_attribute(int name_id, size_t from = 0) const;
  static constexpr size_t npos = static_cast<size_t>(-1);

  // Hands every value of the name `name_id` in the record, in file order, to
  // `write`, each valid only during its call: a record's lines are not all
  // kept, so a value is written as it is found. Values kept by read() stay
  // valid; the read window may move.
  void for_each_value(int name_id, const std::function<void(std::string_view)>& write);

 private:
  bool read_in_place(LogFile& log, int64_t offset, int64_t end, const WantedNames& wanted);
  // The name id and the value of a body line, read from the read window or,
  // for a line longer than it, copied into scratch_; kNone when its name is
  // not wanted.
  [[gnu::cold]] int line_value(const LogLine& line, bool nul_free, const WantedNames& wanted,
                               std::string_view& value);
  // Reads the record line by line. Only a record not read in place comes
  // here (one over 16 KiB, or in a log with NUL bytes or changed since the
  // scan): rare, so these two are built for size.
  [[gnu::cold]] void read_lines(int only, const std::function<void(std::string_view)>* write);
  void read_header(const LineText& text);
  void keep(int name_id, size_t start, size_t size);
  void keep_copy(int name_id, std::string_view value);

  std::string header_;
  std::string scratch_;  // bytes of a line longer than the read window
  std::vector<Line> lines_;
  std::string values_;
  std::vector<size_t> first_;  // by name id: the first kept line of that name, or npos
  std::vector<size_t> last_;   // by name id, while reading: the last kept line
  // Where the record was read from, for for_each_value.
  LogFile* log_ = nullptr;
  int64_t offset_ = 0;
  const WantedNames* wanted_ = nullptr;
  bool nul_free_ = false;
  bool kept_all_ = false;               // every wanted line is kept (the record was read in place)
  std::vector<char> more_after_first_;  // by name id: lines after the first were passed over
  // The values: in the read window for a record read in place, else copies.
  const char* values_base_ = nullptr;
  std::unique_ptr<InPlaceRecord> work_;  // for a record read in place, made when first needed
};
