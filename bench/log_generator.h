#pragma once

#include <cstdint>
#include <string>

// The shape of a generated job log. The default is a log as a device writes
// it; the switches add the damage that real logs carry after a crash, a copy
// through another system or a full disk.
struct LogShape {
  uint64_t seed = 1;
  uint64_t size = 64 << 10;  // records are added until the log holds at least this many bytes
  long log_number = 1;
  bool long_lines = false;          // lines longer than one 254-character read
  bool blank_lines = false;         // empty and blank-only lines inside record bodies
  bool crlf = false;                // every line ends with a carriage return and a newline
  bool no_final_newline = false;    // the last line of the file has no newline
  bool nul_bytes = false;           // NUL bytes inside some lines
  bool trailing_documents = false;  // documents after the last job, belonging to none
  bool odd_lines = false;           // attribute lines that look close to a match but are not
  bool bare_log_number = false;  // the log number line unindented: the scan takes it for a document
  bool long_uris = false;  // URIs of 300 to 1,023 bytes in every record: most bytes lie in them
};

// What a generated log holds, for the benchmark's per-record figures.
struct LogCounts {
  uint64_t bytes = 0;
  uint64_t jobs = 0;
  uint64_t documents = 0;
  uint64_t header_lines = 0;  // lines that begin a record, a bare log number line included
};

// Writes a log record by record, so that logs of any size need little memory.
class LogGenerator {
 public:
  explicit LogGenerator(const LogShape& shape);

  // Appends the next part of the log (the banner, then one job with the
  // documents before it) to `out`; false once the log is complete.
  bool next(std::string& out);

  const LogCounts& counts() const { return counts_; }

 private:
  uint64_t random();
  uint64_t below(uint64_t n) { return random() % n; }
  bool chance(unsigned percent) { return below(100) < percent; }

  void banner(std::string& out);
  void job(std::string& out);
  void document(std::string& out, uint64_t document_number);
  void attribute(std::string& body, const char* name, const std::string& value);
  void finish_record(std::string& out, const std::string& header, std::string& body);
  void line_end(std::string& out);
  std::string job_name();
  std::string uri();
  std::string time_value(int64_t epoch);
  std::string words(size_t min_length, size_t max_length);

  LogShape shape_;
  uint64_t state_;
  uint64_t job_number_ = 0;
  int64_t clock_ = 1767225600;  // 2026-01-01 00:00:00 UTC
  LogCounts counts_;
  bool started_ = false;
  bool done_ = false;
};

// The whole log as one text; for tests and small logs.
std::string generate_log(const LogShape& shape);
