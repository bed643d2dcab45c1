#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "joblog/log_file.h"

// One selected record of a job log.
struct JobEntry {
  LogFile* log = nullptr;
  int64_t record_offset = 0;  // where the record header line begins
  bool is_job = false;        // false: a document record
  long log_number = 0;        // from the second line of the record's log
  // Where the record ended when the log was scanned: the next record header
  // line, or the last read of the file. -1 when not known.
  int64_t record_end = -1;
};

// The selected records in display order: logs in command-line order, each
// log's records from its last to its first. Only positions are kept: the
// distance from the record before and the kind, in a variable-length code of
// about two bytes a record, in blocks that never move (no copy when the index
// grows).
class RecordIndex {
 public:
  class Cursor {
   public:
    bool done() const { return log_ >= index_->logs_.size(); }
    const JobEntry& entry() const { return entry_; }
    void next();

   private:
    friend class RecordIndex;
    Cursor(const RecordIndex* index, size_t log);
    void
    start_log();  // at the last record of the log under the cursor, or past it when it has none
    void decode_before(size_t block, size_t end);  // the code that ends at `end` in `block`
    const RecordIndex* index_;
    size_t log_ = 0;
    size_t remaining_ = 0;  // records of the current log not yet passed, this one included
    size_t block_ = 0;      // where the code of the record under the cursor begins
    size_t at_ = 0;
    uint64_t distance_ = 0;  // from the record before it
    JobEntry entry_;
  };

  // Starts a new log; its records are then added in file order with add(),
  // and end_log() tells where the scan's last read of the log began.
  void begin_log(std::unique_ptr<LogFile> log, long log_number);
  void add(int64_t record_offset, bool is_job);
  void end_log(int64_t scan_end);

  // A point in the current log's records, to which add() calls made after it
  // can be taken back (documents that no job record follows yet).
  struct Mark {
    size_t blocks = 0;
    size_t block_size = 0;
    size_t count = 0;
    int64_t last_offset = 0;
  };
  Mark mark() const;
  void roll_back(const Mark& mark);

  bool empty() const { return size_ == 0; }
  size_t size() const { return size_; }
  Cursor begin() const { return Cursor(this, 0); }
  // At the first record, in display order, of the log-th log begun (from 0).
  Cursor begin_at_log(size_t log) const { return Cursor(this, log); }
  size_t log_count() const { return logs_.size(); }

 private:
  static constexpr size_t kBlockSize = size_t{64} << 10;
  struct Block {
    std::unique_ptr<uint8_t[]> bytes;
    size_t size = 0;
  };
  struct Log {
    std::unique_ptr<LogFile> file;
    long log_number;
    std::vector<Block> blocks;  // distance << 1 | is_job, seven bits a byte, in file order
    size_t count = 0;
    int64_t last_offset = 0;
    int64_t scan_end = -1;
  };
  std::vector<Log> logs_;
  size_t size_ = 0;
};
