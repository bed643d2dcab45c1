#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "diag/output_channel.h"
#include "joblog/record_index.h"
#include "render/attribute_lookup.h"
#include "render/wanted_names.h"

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
  // The attribute lines of a record that lies whole in the read window, found
  // with the masks of a record read in place or line by line in a larger one
  // (up to half the window), noted in lines_ in one pass; the record's bytes,
  // or null when it does not qualify. write_lines then writes them.
  void note_in_place(InPlaceRecord& record);
  const char* note_in_window(const JobEntry& entry);
  void note_line(std::string_view name, size_t value, size_t value_size);
  void write_lines(const char* record);
  // Any other record's, walked line by line: once to gather its names, then
  // to write them, and once more for each repeated name's array. Memory grows
  // with the record's distinct names only.
  void write_walked(const JobEntry& entry);
  enum class Walk { kGather, kWrite, kArray };
  // Walks the body lines from `from` with take_line(); they are read in one loop
  // for the three walks, which keeps the program small.
  void walk(LogFile& log, int64_t from, Walk what);
  bool take_line(const LogLine& line);
  // The index in walk_names_ of `name`, added when `add` and new.
  size_t find_name(std::string_view name, int64_t offset, bool add);
  // Writes `,"name":` (without the comma for the first) and, unless `array`,
  // the value's opening quote.
  void write_key(int id, bool first, bool array);
  void make_keys(size_t up_to);  // keys_ up to the name id `up_to`
  void write_escaped_key(int id, bool first, bool array);
  void write_string(std::string_view text);

  OutputChannel& out_;
  RecordView record_;
  WantedNames no_names_;
  // Every name met so far, kept from record to record (a log repeats a few
  // dozen names) until there are more than a record needs.
  WantedNames names_;
  // By name id: `,"name":"` as written, made when the name is first written;
  // empty for a name that needs escaping, which is escaped each time.
  std::vector<std::string> keys_;
  // By name id: where its lines are in lines_.
  struct NameLines {
    uint64_t record = 0;  // the record they belong to (records_ then)
    uint32_t first = 0;
    uint32_t last = 0;
    uint32_t count = 0;
  };
  std::vector<NameLines> name_lines_;
  uint64_t records_ = 0;
  // The attribute lines of a record, in order.
  struct Line {
    uint32_t id;
    uint32_t value;  // in the record
    uint32_t size;
    uint32_t next;  // the next line of the same name
  };
  std::vector<Line> lines_;
  std::string number_;

  // The state of a walk.
  struct WalkName {
    size_t start;  // in walk_bytes_
    size_t size;
    int64_t first;  // offsets of its first and last lines
    int64_t last;
    size_t count;
  };
  std::string_view walk_name(const WalkName& name) const {
    return {walk_bytes_.data() + name.start, name.size};
  }
  std::string walk_bytes_;  // the bytes of every distinct name, one after another
  std::vector<WalkName> walk_names_;
  std::vector<uint32_t> walk_slots_;  // open addressing: index in walk_names_ + 1, 0 for none
  AttributeLine line_;
  Walk walk_ = Walk::kGather;
  bool nul_free_ = false;
  size_t written_ = 0;                  // names written so far
  const WalkName* repeated_ = nullptr;  // kWrite: the repeated name met; kArray: the name gathered
  int64_t resume_ = 0;                  // kWrite: where to go on after that name's array
  bool first_value_ = true;             // kArray
};
