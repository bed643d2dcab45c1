// Value cleaning, attribute line splitting and the reading of one record,
// over any bytes; every text they return must lie inside what they were given,
// and a record read in place must read as it reads line by line.

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>

#include "fuzz_support.h"
#include "joblog/byte_classes.h"
#include "joblog/log_file.h"
#include "joblog/log_lines.h"
#include "render/attribute_lookup.h"

namespace {

void expect(bool condition) {
  if (!condition) std::abort();
}

bool inside(std::string_view part, std::string_view whole) {
  return part.data() >= whole.data() && part.data() + part.size() <= whole.data() + whole.size();
}

void check_line(std::string_view line) {
  const std::string_view cleaned = clean_value(line);
  expect(cleaned.empty() || inside(cleaned, line));
  std::string_view name;
  if (attribute_name(line, name)) {
    expect(!name.empty() && inside(name, line));
    expect(name.find_first_of(" \t\n") == std::string_view::npos);
    const std::string_view value = attribute_value(line, name);
    expect(value.empty() || inside(value, line));
  }
}

bool is_c_space(char c) { return c == ' ' || (c >= '\t' && c <= '\r'); }

// Where the scan ends the record whose header line begins at `offset`: at the
// next line that does not begin with white space, or at the last line when it
// has no newline; -1 when the header line has none.
int64_t record_end(std::string_view bytes, size_t offset) {
  size_t p = bytes.find('\n', offset);
  if (p == std::string_view::npos) return -1;
  for (++p; p < bytes.size() && is_c_space(bytes[p]);) {
    const size_t newline = bytes.find('\n', p);
    if (newline == std::string_view::npos) break;
    p = newline + 1;
  }
  return static_cast<int64_t>(p);
}

// All that the display can ask of a record read: its header and every value
// of each wanted name, in file order.
std::string contents(RecordView& record, const WantedNames& wanted) {
  std::string all(record.header_text());
  for (int id = 0; id < static_cast<int>(wanted.size()); ++id) {
    all += '\n';
    record.for_each_value(id, [&all](std::string_view value) {
      expect(value.size() <= kValueMax);
      all += value;
      all += '\0';
    });
  }
  return all;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  fuzz::quiet_output();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  // Each input goes through one of the vector levels (those the processor has).
  use_vector_level(static_cast<VectorLevel>(size % 3));
  check_line(bytes);

  // Wanted names: the first token of every line of the input, so that the
  // record's lines are matched, not merely passed over.
  WantedNames wanted;
  wanted.add("user-name");
  size_t start = 0;
  while (start < bytes.size()) {
    size_t end = bytes.find('\n', start);
    end = end == std::string_view::npos ? bytes.size() : end + 1;
    const std::string_view line = bytes.substr(start, end - start);
    check_line(line);
    std::string_view name;
    if (attribute_name(line, name)) {
      const int id = wanted.add(name);
      expect(wanted.find(name) == id);
    }
    start = end;
  }

  const std::string path = fuzz::write_input("record.log", data, size);
  std::FILE* stream = std::fopen(path.c_str(), "r");
  if (stream == nullptr) std::abort();
  {
    LogFile log(stream);
    RecordView record;
    for (int64_t offset :
         {int64_t{0}, static_cast<int64_t>(size / 2), static_cast<int64_t>(size)}) {
      record.read(log, offset, wanted);
      expect(record.header_text().size() <= 2 * kValueMax + 1);
      for (size_t line = 0; line < record.line_count(); ++line) {
        expect(record.value(line).size() <= kValueMax);
      }
      contents(record, wanted);
    }
    // A log scanned without a NUL byte has its delimited records read in
    // place, by vector compares: they must read as the lines read one by one.
    if (std::memchr(data, '\0', size) == nullptr) {
      log.note_scanned();
      const size_t next_line = bytes.find('\n', size / 2);
      for (size_t offset : {size_t{0}, size / 2, next_line == bytes.npos ? size : next_line + 1}) {
        const int64_t end = record_end(bytes, offset);
        record.read(log, static_cast<int64_t>(offset), wanted);
        const std::string by_lines = contents(record, wanted);
        record.read(log, static_cast<int64_t>(offset), wanted, end);
        expect(contents(record, wanted) == by_lines);
      }
    }
  }
  std::fclose(stream);
  return 0;
}
