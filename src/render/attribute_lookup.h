#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
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

// The attribute names a display list looks up, each given a small id. Lines of
// a record whose name is not wanted are passed over without being kept.
class WantedNames {
 public:
  static constexpr int kNone = -1;
  int add(std::string_view name);         // the id of name, added when new
  int find(std::string_view name) const;  // the id of name, or kNone
  // find() for a name inside a line held in the read window, which has
  // kLineSlack readable bytes after it: a hash of its length and its first
  // and last eight bytes leads to the one name it can be.
  int find_in_log_line(std::string_view name) const;
  size_t size() const { return names_.size(); }
  // No wanted name is longer than this.
  size_t max_length() const { return max_length_; }

 private:
  // Tells names of up to 32 bytes apart; longer ones share the bytes between.
  struct Key {
    uint64_t head = 0;    // the first eight bytes, zero-padded
    uint64_t tail = 0;    // the last eight bytes of a longer name, else 0
    uint64_t middle = 0;  // of a name longer than 16: the eight bytes from 8
    uint64_t inner = 0;   // and the eight from 16 before its end
    size_t size = 0;
    bool operator==(const Key& other) const {
      return ((head ^ other.head) | (tail ^ other.tail) | (middle ^ other.middle) |
              (inner ^ other.inner) | (size ^ other.size)) == 0;
    }
  };
  struct Slot {
    Key key;
    int id = kNone;
  };
  static Key key_of(std::string_view name);
  size_t home(const Key& key) const;
  int match(const Slot& slot, const Key& key, std::string_view name) const;
  void insert(const Key& key, int id);
  bool place_all(size_t slots, uint64_t multiplier);

  std::vector<std::string> names_;
  size_t max_length_ = 0;
  // Open addressing; while every name lies in its home slot (a perfect
  // table), a lookup is a single probe.
  std::vector<Slot> slots_;
  uint64_t multiplier_ = 0;
  int shift_ = 64;
  bool perfect_ = false;
};

// One record of a job log as the display needs it: its header text and, in
// file order, the values of the attribute lines of its body whose names are
// wanted, each cut at kValueMax bytes. Lines are whole lines however long;
// what is kept of them is bounded, so memory never grows with a line.
class RecordView {
 public:
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

 private:
  bool read_in_place(LogFile& log, int64_t offset, int64_t end, const WantedNames& wanted);
  void read_header(const LineText& text);
  void keep(int name_id, size_t start, size_t size);
  void keep_copy(int name_id, std::string_view value);

  std::string header_;
  std::string scratch_;  // bytes of a line longer than the read window
  std::vector<Line> lines_;
  std::string values_;
  std::vector<size_t> first_;  // by name id: the first kept line of that name, or npos
  std::vector<size_t> last_;   // by name id, while reading: the last kept line
  // The values: in the read window for a record read in place, else copies.
  const char* values_base_ = nullptr;
  std::unique_ptr<uint64_t[]> work_;  // byte classes and name positions of a record read in place
};
