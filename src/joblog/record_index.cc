#include "joblog/record_index.h"

#include "joblog/record_code.h"

// Each record is kept in the code of joblog/record_code.h, its distance taken
// from the record before it (from 0 for the first). A code is never split
// across blocks, so the display reads them backwards, newest first.

void RecordIndex::begin_log(std::unique_ptr<LogFile> log, long log_number) {
  logs_.push_back(Log{std::move(log), log_number, {}});
}

void RecordIndex::add(int64_t record_offset, bool is_job) {
  Log& log = logs_.back();
  const uint64_t code = record_code(record_offset - log.last_offset, is_job);
  log.last_offset = record_offset;
  if (log.blocks.empty() || kBlockSize - log.blocks.back().size < kLongestRecordCode) {
    // Not cleared: only the bytes written are ever read, and pages never
    // written are never touched.
    log.blocks.push_back(Block{std::unique_ptr<uint8_t[]>(new uint8_t[kBlockSize]), 0});
  }
  Block& block = log.blocks.back();
  put_record_code(code, [&block](uint8_t byte) { block.bytes[block.size++] = byte; });
  ++log.count;
  ++size_;
}

void RecordIndex::end_log(int64_t scan_end) { logs_.back().scan_end = scan_end; }

RecordIndex::Mark RecordIndex::mark() const {
  const Log& log = logs_.back();
  return Mark{log.blocks.size(), log.blocks.empty() ? 0 : log.blocks.back().size, log.count,
              log.last_offset};
}

void RecordIndex::roll_back(const Mark& mark) {
  Log& log = logs_.back();
  log.blocks.resize(mark.blocks);
  if (!log.blocks.empty()) log.blocks.back().size = mark.block_size;
  size_ -= log.count - mark.count;
  log.count = mark.count;
  log.last_offset = mark.last_offset;
}

RecordIndex::Cursor::Cursor(const RecordIndex* index, size_t log) : index_(index), log_(log) {
  start_log();
}

void RecordIndex::Cursor::start_log() {
  for (; !done(); ++log_) {
    const Log& log = index_->logs_[log_];
    if (log.count == 0) continue;
    remaining_ = log.count;
    entry_.log = log.file.get();
    entry_.log_number = log.log_number;
    entry_.record_offset = log.last_offset;
    entry_.record_end = log.scan_end;
    decode_before(log.blocks.size() - 1, log.blocks.back().size);
    return;
  }
}

void RecordIndex::Cursor::decode_before(size_t block, size_t end) {
  const uint8_t* bytes = index_->logs_[log_].blocks[block].bytes.get();
  size_t start = end - 1;
  while (start > 0 && (bytes[start - 1] & 0x80) != 0) --start;
  uint64_t code = 0;
  for (size_t i = end; i-- > start;) code = code << 7 | (bytes[i] & 0x7f);
  block_ = block;
  at_ = start;
  distance_ = code >> 1;
  entry_.is_job = (code & 1) != 0;
}

void RecordIndex::Cursor::next() {
  if (--remaining_ == 0) {
    ++log_;
    return start_log();
  }
  // Every record header line after the first indexed one is indexed, so a
  // record ends where the next one in the file begins.
  entry_.record_end = entry_.record_offset;
  entry_.record_offset -= static_cast<int64_t>(distance_);
  if (at_ > 0) return decode_before(block_, at_);
  decode_before(block_ - 1, index_->logs_[log_].blocks[block_ - 1].size);
}
