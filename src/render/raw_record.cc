#include "render/raw_record.h"

#include <algorithm>
#include <cstring>

#include "joblog/log_lines.h"

namespace {

// Whether the record the scan found at `entry`'s offset is still there: a line
// begins there, and it is a complete record header line of the same kind.
// Sizes are compared as they were just after each read of the log (a read
// window), when the bytes shown were read: a check of the size for each
// record would cost a call each, and tell less.
bool record_still_there(const JobEntry& entry) {
  LogFile& log = *entry.log;
  if (entry.record_offset <= 0 || entry.record_end < entry.record_offset) return false;
  const LogFile::Bytes before = log.bytes_at(entry.record_offset - 1);
  if (before.size == 0 || before.data[0] != '\n' || !log.holds_scanned(before.file_size)) {
    return false;
  }
  const LogLine header = read_line(log, entry.record_offset);
  return !header.at_end && !header.begins_with_space() && is_job_header(header) == entry.is_job;
}

// Hands the bytes from `from` up to `to` to `out`. A piece of log text is
// judged alone on a terminal, so pieces end at a line end wherever the line
// fits in the read window, never inside a character. False when the file
// ends first or its size was not the scanned one when the bytes were read.
bool copy_bytes(LogFile& log, int64_t from, int64_t to, OutputChannel& out) {
  for (LogFile::Bytes bytes = log.bytes_at(from); from < to;) {
    if (bytes.size == 0 || !log.holds_scanned(bytes.file_size)) return false;
    const int64_t left = to - from;
    size_t size = static_cast<size_t>(std::min<int64_t>(static_cast<int64_t>(bytes.size), left));
    const void* newline = nullptr;
    if (static_cast<int64_t>(size) < left && (newline = memrchr(bytes.data, '\n', size))) {
      size = static_cast<size_t>(static_cast<const char*>(newline) - bytes.data) + 1;
    }
    out.append_log_text(std::string_view(bytes.data, size));
    from += static_cast<int64_t>(size);
    if (from < to) bytes = log.window_from(from);
  }
  return true;
}

}  // namespace

bool dump_raw_record(const JobEntry& entry, OutputChannel& out) {
  return record_still_there(entry) &&
         copy_bytes(*entry.log, entry.record_offset, entry.record_end, out);
}
