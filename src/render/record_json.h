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
  // The attribute lines of a record, in order. The first line of a name
  // holds the whole array when `next` is not 0.
  struct Line {
    uint32_t id : 31;
    uint32_t later : 1;  // not the first line of its name
    uint32_t value;      // in the record
    uint32_t size;
    uint32_t next;  // the next line of the same name, 0 after the last
  };

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
  // Writes `head` (32 bytes to spare after it), the value of `size` bytes,
  // and the first `tail_size` bytes of `",`, laid out in place; false, with
  // nothing written, unless the value goes out as it is.
  bool write_plain(const char* head, size_t head_size, const char* value, size_t size,
                   size_t tail_size);
  // Once a name, and for the rare name that needs escaping: built for size.
  [[gnu::cold]] int add_name(std::string_view name);  // a name first met: its id
  [[gnu::cold]] void write_escaped_key(int id, bool first, bool array);
  void write_string(std::string_view text);

  OutputChannel& out_;
  RecordView record_;
  WantedNames no_names_;
  // Every name met so far, kept from record to record (a log repeats a few
  // dozen names) until there are more than a record needs.
  WantedNames names_;
  // By name id: where its last line is in lines_, and where `,"name":"` lies
  // in key_bytes_, with 32 bytes to spare after it (so that it is copied 32 at
  // a time); a key of size 0 for a name that needs escaping, escaped each time.
  struct NameLines {
    uint64_t record = 0;  // the record `last` belongs to (records_ then)
    uint32_t last = 0;
    uint32_t key_at = 0;
    uint32_t key_size = 0;
  };
  std::vector<NameLines> names_of_ids_;
  std::string key_bytes_;
  uint64_t records_ = 0;
  std::vector<Line> lines_;
  std::string number_;
  // What follows the identifier for every record of one log:
  // `,"log":"…","stamp":"…","log_number":7,"offset":`, made again when the
  // log, its stamp (a followed log can start again) or its number changes.
  [[gnu::cold]] void make_log_part(const JobEntry& entry);
  std::string log_part_;
  std::string log_part_name_;
  std::string log_part_stamp_;
  long log_part_number_ = 0;

  WalkedRecordJson walked_{out_};  // records too large to be read in one piece
};
