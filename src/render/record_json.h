#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "diag/output_channel.h"
#include "joblog/record_index.h"
#include "render/attribute_lookup.h"
#include "render/walked_record_json.h"
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
  [[gnu::cold]] const char* note_in_window(const JobEntry& entry);  // rare: built for size
  void note_line(std::string_view name, size_t value, size_t value_size);
  void write_lines(const char* record);
  // Writes `,"name":` (without the comma for the first) and, unless `array`,
  // the value's opening quote.
  void write_key(int id, bool first, bool array);
  // Once a name, and for the rare name that needs escaping: built for size.
  [[gnu::cold]] void make_keys(size_t up_to);  // keys_ up to the name id `up_to`
  [[gnu::cold]] void write_escaped_key(int id, bool first, bool array);
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

  WalkedRecordJson walked_{out_};  // records too large to be read in one piece
};
