#include "joblog/record_index.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "joblog/record_code.h"

namespace {

// Distances at each edge of the code's lengths: a code holds the distance
// shifted by one and the kind, seven bits a byte, so its length changes at
// distances of 2^6, 2^13, 2^20 ... (codes of 2^7, 2^14, 2^21 ...); and past
// 4 GiB, where 32 bits no longer hold them.
std::vector<int64_t> distances_at_code_edges() {
  std::vector<int64_t> distances = {0, 1, int64_t{1} << 32, (int64_t{1} << 32) + 64};
  for (int bits = 6; bits <= 62; bits += 7) {
    distances.push_back((int64_t{1} << bits) - 1);
    distances.push_back(int64_t{1} << bits);
  }
  return distances;
}

TEST(RecordCode, EveryLengthReadsBackForwardInARow) {
  std::vector<uint8_t> bytes;
  std::vector<uint64_t> codes;
  for (const int64_t distance : distances_at_code_edges()) {
    for (const bool is_job : {false, true}) {
      codes.push_back(record_code(distance, is_job));
      put_record_code(codes.back(), [&bytes](uint8_t byte) { bytes.push_back(byte); });
    }
  }
  size_t at = 0;
  for (const uint64_t code : codes) EXPECT_EQ(next_record_code(bytes.data(), at), code);
  EXPECT_EQ(at, bytes.size());
}

struct Log {
  long number;
  std::vector<int64_t> offsets;  // in file order; kinds alternate, the first a job
  int64_t scan_end;
};

// Logs that fill the index's 64 KiB blocks up to each position just before
// a boundary, then hold a code of each length, so that a code begun there
// would straddle it; logs of one record at each edge distance; logs without
// records among them. The cursor must give every record back, newest first,
// log by log, with its kind and end.
TEST(RecordIndex, CodesAroundBlockBoundariesOfSeveralLogs) {
  constexpr int64_t kBlock = 64 << 10;
  constexpr int64_t kEightBytes = int64_t{1} << 48;  // a distance whose code takes eight bytes
  std::vector<Log> logs = {{7, {}, 5}};
  for (const int64_t distance : distances_at_code_edges()) {
    logs.push_back({1, {20, 20 + distance}, 20 + distance});
  }
  for (int bits = 6; bits <= 62; bits += 7) {
    for (int64_t filled = kBlock - 10; filled < kBlock; ++filled) {
      Log log{static_cast<long>(filled), {}, -1};
      for (int64_t i = 0; i < filled / 8 - 1; ++i) log.offsets.push_back(kEightBytes * (i + 1));
      for (int64_t i = 0; i < filled % 8 + 8; ++i) log.offsets.push_back(log.offsets.back() + i);
      log.offsets.push_back(log.offsets.back() + (int64_t{1} << bits));
      for (int i = 0; i < 3; ++i) log.offsets.push_back(log.offsets.back() + 64 * i);
      log.scan_end = log.offsets.back() + 9;
      logs.push_back(std::move(log));
    }
    logs.push_back({-1, {}, 0});
  }

  RecordIndex index;
  size_t records = 0;
  for (const Log& log : logs) {
    index.begin_log(nullptr, log.number);
    for (size_t i = 0; i < log.offsets.size(); ++i) index.add(log.offsets[i], i % 2 == 0);
    index.end_log(log.scan_end);
    records += log.offsets.size();
  }
  EXPECT_EQ(index.size(), records);
  RecordIndex::Cursor cursor = index.begin();
  for (const Log& log : logs) {
    int64_t end = log.scan_end;
    for (size_t i = log.offsets.size(); i-- > 0; end = log.offsets[i]) {
      ASSERT_FALSE(cursor.done());
      const JobEntry& entry = cursor.entry();
      ASSERT_EQ(entry.record_offset, log.offsets[i]) << "log " << log.number << ", record " << i;
      ASSERT_EQ(entry.is_job, i % 2 == 0);
      ASSERT_EQ(entry.record_end, end);
      ASSERT_EQ(entry.log_number, log.number);
      cursor.next();
    }
  }
  EXPECT_TRUE(cursor.done());
}

}  // namespace
