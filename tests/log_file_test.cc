#include "driver/log_file.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "driver/record_index.h"
#include "support/temp_dir.h"

namespace {

struct Read {
  std::string bytes;
  bool at_end;
};

// Reads a file the way the device's tools do, one piece after the other.
std::vector<Read> read_all(const std::string& content) {
  TempDir dir;
  std::FILE* stream = std::fopen(dir.write("log", content).c_str(), "r");
  LogFile log(stream);
  std::vector<Read> reads;
  int64_t offset = 0;
  for (;;) {
    const LogPiece piece = log.read_piece(offset);
    reads.push_back({std::string(piece.data, piece.size), piece.at_end});
    if (piece.at_end) break;
    offset += static_cast<int64_t>(piece.size);
  }
  std::fclose(stream);
  return reads;
}

TEST(LogFile, LinesEndAfterTheirNewline) {
  const auto reads = read_all("a\n\nbc\n");
  ASSERT_EQ(reads.size(), 4u);
  EXPECT_EQ(reads[0].bytes, "a\n");
  EXPECT_EQ(reads[1].bytes, "\n");
  EXPECT_EQ(reads[2].bytes, "bc\n");
  EXPECT_EQ(reads[3].bytes, "");
  EXPECT_TRUE(reads[3].at_end);
}

TEST(LogFile, LastLineWithoutNewlineMeetsTheEnd) {
  const auto reads = read_all("a\nlast");
  ASSERT_EQ(reads.size(), 2u);
  EXPECT_EQ(reads[1].bytes, "last");
  EXPECT_TRUE(reads[1].at_end);
}

TEST(LogFile, LongLineArrivesInPiecesOf254) {
  const std::string line(300, 'x');
  const auto reads = read_all(line + "\n");
  ASSERT_EQ(reads.size(), 3u);
  EXPECT_EQ(reads[0].bytes, line.substr(0, 254));
  EXPECT_FALSE(reads[0].at_end);
  EXPECT_EQ(reads[1].bytes, line.substr(254) + "\n");
}

TEST(LogFile, FullPieceAtTheEndDoesNotMeetTheEnd) {
  // A read that stops at its limit does not look further, as fgets does not.
  const auto reads = read_all(std::string(254, 'y'));
  ASSERT_EQ(reads.size(), 2u);
  EXPECT_FALSE(reads[0].at_end);
  EXPECT_TRUE(reads[1].at_end);
  EXPECT_EQ(reads[1].bytes, "");
}

TEST(LogFile, NulByteEndsTheTextButNotThePiece) {
  const auto reads = read_all(std::string("ab\0cd\n", 6));
  EXPECT_EQ(reads[0].bytes.size(), 6u);
  LogPiece piece;
  piece.data = reads[0].bytes.data();
  piece.size = reads[0].bytes.size();
  EXPECT_EQ(piece.text(), "ab");
}

TEST(LogFile, ReadingBackwardsOverManyWindowsGivesTheSameLines) {
  std::string content;
  std::vector<int64_t> offsets;
  for (int i = 0; i < 200000; ++i) {
    offsets.push_back(static_cast<int64_t>(content.size()));
    content += "line " + std::to_string(i) + "\n";
  }
  TempDir dir;
  std::FILE* stream = std::fopen(dir.write("log", content).c_str(), "r");
  LogFile log(stream);
  for (size_t i = offsets.size(); i-- > 0;) {
    const LogPiece piece = log.read_piece(offsets[i]);
    ASSERT_EQ(std::string(piece.data, piece.size), "line " + std::to_string(i) + "\n");
  }
  std::fclose(stream);
}

TEST(RecordIndex, LogsInOrderEachNewestFirst) {
  RecordIndex index;
  index.begin_log(nullptr, 7);
  index.add(10, false);
  index.add(20, true);
  index.begin_log(nullptr, 8);  // a log without records adds nothing
  index.begin_log(nullptr, 9);
  index.add(5, true);
  std::vector<std::pair<int64_t, bool>> seen;
  for (auto cursor = index.begin(); !cursor.done(); cursor.next()) {
    seen.emplace_back(cursor.entry().record_offset, cursor.entry().is_job);
  }
  const std::vector<std::pair<int64_t, bool>> expected{{20, true}, {10, false}, {5, true}};
  EXPECT_EQ(seen, expected);
  EXPECT_EQ(index.size(), 3u);
}

TEST(RecordIndex, EmptyIndexHasNoEntries) {
  RecordIndex index;
  index.begin_log(nullptr, 1);
  EXPECT_TRUE(index.empty());
  EXPECT_TRUE(index.begin().done());
}

}  // namespace
