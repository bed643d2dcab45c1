#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "diag/output_channel.h"
#include "joblog/log_lines.h"
#include "joblog/record_index.h"
#include "render/attribute_lookup.h"

// The attributes of a record too large to be read in one piece, as a JSON
// line holds them ("name":value pairs, without the braces), walked line by
// line: once to gather its names, then to write them, and once more for each
// repeated name's array. Memory grows with the record's distinct names only.
// Such records are rare: the code is built for size.
class WalkedRecordJson {
 public:
  explicit WalkedRecordJson(OutputChannel& out) : out_(out) {}
  void write(const JobEntry& entry);

 private:
  enum class Walk { kGather, kWrite, kArray };
  // Walks the body lines from `from` with take_line(); they are read in one loop
  // for the three walks, which keeps the program small.
  void walk(LogFile& log, int64_t from, Walk what);
  bool take_line(const LogLine& line);
  // An array walk also keeps the values of the repeated names whose first
  // lines come after the name it writes, so that a record of many repeated
  // names is not walked once for each: at most kKeptMax bytes in all, names
  // dropped from the last first line back when they would pass it (their
  // arrays are then gathered by a later walk).
  void start_keeping();
  void keep_value(size_t index, int64_t offset);
  void write_kept(const std::string& values);
  // The index in names_ of `name`, added when `add` and new.
  size_t find_name(std::string_view name, int64_t offset, bool add);
  void write_string(std::string_view text);

  struct Name {
    size_t start;  // in bytes_
    size_t size;
    int64_t first;  // offsets of its first and last lines
    int64_t last;
    size_t count;
    size_t kept;  // its place in kept_values_, or kNotKept
  };
  static constexpr size_t kNotKept = static_cast<size_t>(-1);
  std::string_view name_text(const Name& name) const {
    return {bytes_.data() + name.start, name.size};
  }

  OutputChannel& out_;
  std::string bytes_;  // the bytes of every distinct name, one after another
  std::vector<Name> names_;
  std::vector<uint32_t> slots_;  // open addressing: index in names_ + 1, 0 for none
  AttributeLine line_;
  // The state of a walk.
  Walk walk_ = Walk::kGather;
  bool nul_free_ = false;
  size_t written_ = 0;              // names written so far
  const Name* repeated_ = nullptr;  // kWrite: the repeated name met; kArray: the name gathered
  int64_t resume_ = 0;              // kWrite: where to go on after that name's array
  bool first_value_ = true;         // kArray
  std::vector<size_t> kept_names_;  // indices in names_, by their first lines
  std::vector<std::string> kept_values_;  // of each: every value as 4 bytes of size, then its bytes
  size_t kept_bytes_ = 0;
  int64_t kept_before_ = 0;  // names whose first line is at or after this are not kept
  int64_t kept_last_ = 0;    // the last line of a kept name
};
