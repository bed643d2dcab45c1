#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "diag/output_channel.h"
#include "joblog/record_index.h"
#include "render/attribute_lookup.h"

// Writes each record as one JSON object on a line of its own, every attribute
// line included, so that collectors need no template:
//   {"record":"job","identifier":"42","log":"a.log","stamp":"...","log_number":7,
//    "offset":1234,"attributes":{"user-name":"ann","job-state-reasons":["a","b"]}}
// Attributes keep the order of the record's lines; a name met more than once
// holds the array of its values, in order, where the name is first met.
// Names and values are JSON strings as `%escape json` writes them. Memory
// grows with a record's distinct names only, never with its values.
class RecordJsonWriter {
 public:
  explicit RecordJsonWriter(OutputChannel& out) : out_(out) {}
  void write(const JobEntry& entry);

 private:
  struct Name {
    size_t start;  // in names_
    size_t size;
    int64_t first;  // offsets of its first and last lines (in place: their places in seen_)
    int64_t last;
    size_t count;
  };
  // A record that lies whole in the read window is read in one pass, its
  // lines noted in place; false when the record does not qualify.
  bool write_in_place(LogFile& log, const JobEntry& entry);
  struct Seen {
    size_t name;  // index in names_list_
    std::string_view value;
  };
  std::vector<Seen> seen_;

  // What a walk over the record's body lines does with each.
  enum class Walk { kGather, kWrite, kArray };
  // Walks the body lines from `from` with take_line(); they are read in one loop
  // for the three walks, which keeps the program small.
  void walk(LogFile& log, int64_t from, Walk what);
  bool take_line(const LogLine& line);
  // The index in names_list_ of `name`, added when `add` and new.
  size_t find_name(std::string_view name, int64_t offset, bool add);
  void write_string(std::string_view text);
  std::string_view name_text(const Name& name) const {
    return {names_.data() + name.start, name.size};
  }

  OutputChannel& out_;
  RecordView header_;
  WantedNames no_names_;
  AttributeLine line_;
  std::string names_;  // the bytes of every distinct name, one after another
  std::vector<Name> names_list_;
  std::vector<uint32_t> slots_;  // open addressing: index in names_list_ + 1, 0 for none
  std::string number_;
  // The state of a walk.
  Walk walk_ = Walk::kGather;
  bool nul_free_ = false;
  size_t written_ = 0;              // names written so far
  const Name* repeated_ = nullptr;  // kWrite: the repeated name met; kArray: the name gathered
  int64_t resume_ = 0;              // kWrite: where to go on after that name's array
  bool first_value_ = true;         // kArray
};
