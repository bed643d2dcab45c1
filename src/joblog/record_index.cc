#include "joblog/record_index.h"

void RecordIndex::begin_log(std::unique_ptr<LogFile> log, long log_number) {
  logs_.push_back(Log{std::move(log), log_number, {}});
}

void RecordIndex::add(int64_t record_offset, bool is_job) {
  logs_.back().records.push_back(static_cast<uint64_t>(record_offset) << 1 | (is_job ? 1u : 0u));
  ++size_;
}

void RecordIndex::end_log(int64_t scan_end) { logs_.back().scan_end = scan_end; }

RecordIndex::Cursor::Cursor(const RecordIndex* index) : index_(index) {
  if (!done()) remaining_ = index_->logs_[0].records.size();
  skip_empty_logs();
}

void RecordIndex::Cursor::skip_empty_logs() {
  while (!done() && remaining_ == 0) {
    if (++log_ < index_->logs_.size()) remaining_ = index_->logs_[log_].records.size();
  }
}

JobEntry RecordIndex::Cursor::entry() const {
  const Log& log = index_->logs_[log_];
  const uint64_t packed = log.records[remaining_ - 1];
  // Every record header line after the first indexed one is indexed, so a
  // record ends where the next one in the file begins.
  const int64_t end = remaining_ < log.records.size()
                          ? static_cast<int64_t>(log.records[remaining_] >> 1)
                          : log.scan_end;
  return JobEntry{log.file.get(), static_cast<int64_t>(packed >> 1), (packed & 1) != 0,
                  log.log_number, end};
}

void RecordIndex::Cursor::next() {
  --remaining_;
  skip_empty_logs();
}
