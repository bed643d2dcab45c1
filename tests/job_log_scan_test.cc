// The scan of logs shaped at every edge of its fast paths (the read window,
// lines longer than it, the middle where a second thread takes over, the
// record index's blocks and codes, NUL bytes) must find what a plain reading
// of the same bytes finds, on one thread and on two: each record's offset,
// kind, end, header text and bytes, the log number, and whether a NUL was met.

#include "joblog/job_log_scan.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "joblog/log_lines.h"
#include "support/temp_dir.h"

namespace {

using namespace std::string_literals;  // "\0"s keeps its NUL byte

constexpr size_t kWindow = kReadWindow;

// Attribute lines (or a blank line) up to `size` bytes in all.
void pad_to(std::string& log, size_t size) {
  while (log.size() < size) {
    const size_t line = std::min<size_t>(size - log.size(), 1000);
    log += line < 3 ? std::string(line - 1, ' ') + "\n" : "  " + std::string(line - 3, 'a') + "\n";
  }
}

// A header line, then attribute lines up to `size` bytes in all.
std::string record(const std::string& header, size_t size) {
  std::string text = header + "\n";
  pad_to(text, size);
  return text;
}

std::string banner(const std::string& name) { return " Job Log created " + name + "\n"; }

struct Expected {
  int64_t offset;
  bool is_job;
  int64_t end;
  std::string text;
};

// The plain reading: every whole line after the banner that does not begin
// with white space heads a record; its text ends at a NUL byte, else before
// its newline and one carriage return; its last ':' or '.' tells its kind.
// Records end where the next begins, the last where a last line without a
// newline begins. The first jobs are passed over with the documents before them.
std::vector<Expected> plain_scan(const std::string& log, long start_after) {
  std::vector<Expected> records;
  size_t at = log.find('\n') + 1;
  long jobs = 0;
  for (size_t newline; (newline = log.find('\n', at)) != std::string::npos; at = newline + 1) {
    const char first = log[at];
    if (first == ' ' || (first >= '\t' && first <= '\r')) continue;
    std::string text = log.substr(at, newline - at);
    if (text.find('\0') != std::string::npos) {
      text.resize(text.find('\0'));
    } else if (!text.empty() && text.back() == '\r') {
      text.pop_back();
    }
    const size_t mark = text.find_last_of(":.");
    const bool is_job = mark != std::string::npos && text[mark] == ':';
    const bool passed_over = jobs < start_after;
    jobs += is_job;
    if (passed_over) continue;
    if (!records.empty()) records.back().end = static_cast<int64_t>(at);
    records.push_back({static_cast<int64_t>(at), is_job, 0, text});
  }
  if (!records.empty()) records.back().end = static_cast<int64_t>(at);
  return records;
}

struct Shape {
  const char* name;
  std::string log;
};

std::vector<Shape> shapes() {
  std::vector<Shape> logs;
  // Jobs passed over with their documents (the first log only), a NUL right
  // after a header's mark; a log with no records at all.
  logs.push_back(
      {"passed over", banner("A") + "12\nd.1\nj:1\nd.2\n  a\nj:2\nd.3\nj:3\nj:\0x\nd.4\n"s});
  logs.push_back({"no records", banner("Bb")});

  // The index's block boundary: 65,535 one-byte codes, then one of three bytes.
  std::string small = banner("Ccc") + "1\n";
  for (int i = 0; i < 65533; ++i) small += i % 2 ? "j:1\n" : "d.1\n";
  logs.push_back({"65,533 small records, then one of 9 KB", small + record("j:2", 9216) + "d.3\n"});

  // Lines at the window's edges: a header that ends it, one that begins the
  // next, lines beginning with a carriage return and a tab across its end; a
  // last record one byte longer than the window.
  std::string edges = banner("Dddd");
  const size_t start = edges.size();  // where the scan's first window begins
  edges += "1\n";
  pad_to(edges, start + kWindow - 4);
  edges += "j:e\nd.f\n";
  pad_to(edges, start + 2 * kWindow - 3);
  edges += "\rxxxxxxxx\n";
  pad_to(edges, start + 3 * kWindow - 5);
  logs.push_back(
      {"lines at the window's edges", edges + "\txxxxxxxx\n" + record("j:g", kWindow + 1)});

  // A NUL byte at a window's start; in a last line without a newline that
  // begins the last window; as a log's last byte; in either half only.
  std::string nul = banner("E") + "1\n";
  pad_to(nul, banner("E").size() + kWindow - 5);
  logs.push_back({"NUL in a last line over the window's end", nul + "zzzzz\0zz"s});
  logs.push_back({"NUL beginning a window", nul + "\n\n\n\0j:n\n  a\n"s});
  logs.push_back({"NUL as the last byte", banner("F") + "1\nj:1\n  a\nzz\0"s});
  std::string records;
  for (int i = 0; i < 20; ++i) records += "d.1\n  a\n";
  logs.push_back({"NUL in the second half", banner("G") + "1\n" + records + "j:7\n  x\0y\n"s});
  logs.push_back({"NUL in the first half", banner("G") + "1\nj:7\n  x\0y\n"s + records});

  // Lines longer than the window, each reached at a window's start: a
  // carriage return at its end, a blank or a header character at the next
  // one's start, NUL bytes in its first and later windows, marks at the edges
  // of the 4,096-byte pieces it is searched in backwards; a last line without
  // a newline. The middle of the log lies in one of them.
  const std::string h(kWindow, 'h');
  std::string long_lines = banner("H") + "1\nj:0\n  a\n";
  for (const std::string& line :
       {"x." + h.substr(4) + ":\r\n", "j:" + h.substr(2) + " h\n", "  " + h.substr(2) + "j:z\n",
        "d." + h + ":\0.\n"s, "j.\0"s + h + ":\0\n"s, "d." + h + ":" + h.substr(0, 4096) + "\n",
        "d." + h + ":" + h.substr(0, 4095) + "\n", "j:" + h + "hh\r\n", "j:9\n  a\n"s, "q:" + h}) {
    long_lines += line;
  }
  logs.push_back({"lines longer than the window", long_lines});

  // A header line right at the middle, where a second thread takes over, and
  // records at the distances where their codes grow by a byte, in each half.
  std::string half;
  for (const size_t distance : {63, 64, 8191, 8192}) {
    half += record("d.1", distance) + record("j:1", distance);
  }
  logs.push_back({"header at the middle", banner("I") + "1\n" + half + half + "\n\n"});

  logs.push_back({"middle in a last line without a newline",
                  banner("Jjjjjj") + "1\nj:1\n  a\n" + std::string(300, 'z')});
  return logs;
}

TEST(JobLogScan, ShapesAtTheEdgesOfItsFastPathsScanAsPlainlyRead) {
  constexpr long kStartAfter = 2;  // the first log's
  const std::vector<Shape> logs = shapes();
  TempDir dir;
  std::vector<std::string> paths(logs.size());  // sized first: sources keep their c_str()
  std::vector<LogSource> sources;
  for (size_t i = 0; i < logs.size(); ++i) {
    paths[i] = dir.write("log" + std::to_string(i), logs[i].log);
    sources.emplace_back(paths[i].c_str());
  }
  std::string bytes, scratch;
  for (const int64_t halves_min : {INT64_MAX, int64_t{2}}) {
    set_scan_halves_min(halves_min);
    const ScanResult scan = scan_job_logs(sources, kStartAfter, -1);
    ASSERT_TRUE(scan.ok);
    RecordIndex::Cursor cursor = scan.index.begin();
    for (size_t i = 0; i < logs.size(); ++i) {
      SCOPED_TRACE(std::string(logs[i].name) + (halves_min == 2 ? ", two threads" : ""));
      const std::string& log = logs[i].log;
      const std::vector<Expected> records = plain_scan(log, i == 0 ? kStartAfter : 0);
      for (auto record = records.rbegin(); record != records.rend(); ++record) {
        ASSERT_FALSE(cursor.done());
        const JobEntry& entry = cursor.entry();
        ASSERT_EQ(entry.record_offset, record->offset);
        EXPECT_EQ(entry.is_job, record->is_job) << "at " << record->offset;
        EXPECT_EQ(entry.record_end, record->end) << "at " << record->offset;
        EXPECT_EQ(entry.log_number, std::strtol(log.c_str() + log.find('\n') + 1, nullptr, 10));
        const LineText text = read_line(*entry.log, entry.record_offset).text();
        EXPECT_TRUE(text.substr(0, text.size(), scratch) == record->text)
            << "at " << record->offset;
        bytes.clear();
        for_each_chunk(*entry.log, entry.record_offset, entry.record_end,
                       [&bytes](const char* data, size_t size) { bytes.append(data, size); });
        EXPECT_TRUE(bytes == log.substr(record->offset, record->end - record->offset))
            << "at " << record->offset;
        if (record + 1 == records.rend()) {
          EXPECT_EQ(entry.log->has_nul(), log.find('\0') != std::string::npos);
        }
        cursor.next();
      }
    }
    EXPECT_TRUE(cursor.done());
  }
}

}  // namespace

// Read from the end for m jobs, in steps of every size from a byte on, each
// log's index holds what a whole scan's holds from its newest record through
// the mth job and its documents, and more than m jobs unless it is whole.
TEST(JobLogScan, ShapesReadFromTheEndIndexTheNewestRecordsAsAWholeScan) {
  const std::vector<Shape> logs = shapes();
  TempDir dir;
  for (size_t i = 0; i < logs.size(); ++i) {
    const std::string path = dir.write("log" + std::to_string(i), logs[i].log);
    set_scan_halves_min(INT64_MAX);
    const ScanResult whole = scan_job_logs({path.c_str()}, 0, -1);
    for (const int64_t halves_min : {INT64_MAX, int64_t{2}}) {
      set_scan_halves_min(halves_min);
      for (const int64_t step : {1, 3, 4096, 1 << 20}) {
        set_scan_first_step(step);
        for (const long m : {1, 2, 3, 5, 40000}) {
          SCOPED_TRACE(std::string(logs[i].name) + ", step " + std::to_string(step) + ", -m " +
                       std::to_string(m) + (halves_min == 2 ? ", two threads" : ""));
          const ScanResult tail = scan_job_logs({path.c_str()}, ScanOptions{0, m, true, nullptr});
          ASSERT_TRUE(tail.ok);
          EXPECT_TRUE(tail.jobs_indexed > static_cast<unsigned long>(m) ||
                      tail.index.size() == whole.index.size());
          RecordIndex::Cursor expected = whole.index.begin(), cursor = tail.index.begin();
          for (long jobs = 0; !expected.done() && (jobs < m || !expected.entry().is_job);
               expected.next(), cursor.next()) {
            ASSERT_FALSE(cursor.done());
            EXPECT_EQ(cursor.entry().record_offset, expected.entry().record_offset);
            EXPECT_EQ(cursor.entry().is_job, expected.entry().is_job);
            EXPECT_EQ(cursor.entry().record_end, expected.entry().record_end);
            EXPECT_EQ(cursor.entry().log_number, expected.entry().log_number);
            jobs += expected.entry().is_job;
          }
          EXPECT_TRUE(!expected.done() || cursor.done());
        }
      }
    }
  }
  set_scan_first_step(1024);
}
