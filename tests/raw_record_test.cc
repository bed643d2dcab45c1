// A raw record goes to a terminal in pieces that end at line ends, so that no
// character is split between two pieces (each piece is judged alone there):
// here a record longer than the read window, with a character across the
// window's end.

#include "render/raw_record.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "joblog/log_line.h"
#include "support/pseudo_terminal.h"
#include "support/temp_dir.h"

namespace {

TEST(RawRecord, CharacterAcrossTheReadWindowOnATerminal) {
  const std::string head = " Job Log created R\n  1\n";
  std::string record = "q:1\n  job-name ";
  // The first read begins a byte before the record; U+201C spans its end.
  record.append(kReadWindow - 1 - record.size() - 2, 'n');
  record += "\n\xe2\x80\x9c x\n";
  TempDir dir;
  std::FILE* stream = std::fopen(dir.write("r.log", head + record).c_str(), "r");
  ASSERT_NE(stream, nullptr);
  LogFile log(stream);
  log.note_scanned();
  JobEntry entry;
  entry.log = &log;
  entry.record_offset = static_cast<int64_t>(head.size());
  entry.is_job = true;
  entry.record_end = entry.record_offset + static_cast<int64_t>(record.size());
  PseudoTerminal pty;
  {
    OutputChannel out;
    out.set_stream(pty.stream());
    EXPECT_TRUE(dump_raw_record(entry, out));
    out.flush();
  }
  EXPECT_TRUE(pty.close_and_read() == record);
  std::fclose(stream);
}

}  // namespace
