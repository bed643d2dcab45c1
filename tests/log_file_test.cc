#include "joblog/log_file.h"

#include <gtest/gtest.h>

#include <cctype>
#include <string>
#include <tuple>
#include <vector>

#include "joblog/log_file_loops.h"
#include "support/temp_dir.h"

namespace {

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

// Every piece as the C library's line reading gives it: offset, size, end met.
std::vector<std::tuple<int64_t, size_t, bool>> pieces_by_fgets(std::FILE* stream) {
  std::vector<std::tuple<int64_t, size_t, bool>> pieces;
  std::rewind(stream);
  char line[kLogPieceMax + 1];
  for (;;) {
    const int64_t offset = std::ftell(stream);
    if (std::fgets(line, sizeof line, stream) == nullptr) {
      pieces.emplace_back(offset, 0, true);
      return pieces;
    }
    const size_t size = static_cast<size_t>(std::ftell(stream) - offset);
    pieces.emplace_back(offset, size, std::feof(stream) != 0);
    if (std::feof(stream)) return pieces;
  }
}

// Pieces, record headers and where the scan ends must be what the C library's
// line reading gives: a header is a whole piece, not at the end, that does not
// begin with a space.
void expect_same_headers(const std::string& content) {
  TempDir dir;
  std::FILE* stream = std::fopen(dir.write("log", content).c_str(), "r");
  LogFile log(stream);
  std::vector<std::tuple<int64_t, size_t, bool>> pieces;
  int64_t at = 0;
  log.for_each_piece(0, [&](const LogPiece& piece) {
    pieces.emplace_back(at, piece.size, piece.at_end);
    at += static_cast<int64_t>(piece.size);
    return true;
  });
  const auto by_fgets = pieces_by_fgets(stream);
  EXPECT_TRUE(pieces == by_fgets) << "pieces differ from fgets";
  std::vector<int64_t> expected, found;
  for (const auto& [offset, size, at_end] : by_fgets) {
    if (!at_end && !std::isspace(static_cast<unsigned char>(content[offset])))
      expected.push_back(offset);
  }
  std::vector<size_t> sizes;
  const int64_t end = log.for_each_header(0, [&](int64_t offset, const LogPiece& piece) {
    found.push_back(offset);
    sizes.push_back(piece.size);
  });
  for (size_t i = 0; i < found.size(); ++i) ASSERT_EQ(sizes[i], log.read_piece(found[i]).size);
  std::fclose(stream);
  EXPECT_EQ(end, std::get<0>(by_fgets.back()));
  // Raw mode copies whole records only when the scan saw no NUL byte.
  const size_t nul = content.find('\0');
  if (nul == std::string::npos || nul < static_cast<size_t>(end)) {
    EXPECT_EQ(log.has_nul(), nul != std::string::npos);
  }
  EXPECT_TRUE(found == expected) << found.size() << " headers found, " << expected.size()
                                 << " expected";
}

TEST(LogFileHeaders, EndsOfFileAndLongLines) {
  const char mixed[] = "a\n \n\tb\n\rc\n\0d\n e";
  for (const std::string& content :
       {std::string(), std::string("h\n"), std::string("h"), std::string(254, 'h'),
        std::string(254, 'h') + "\n", std::string(253, 'h') + "\n" + std::string(508, 'x'),
        std::string(600, ' ') + "\nx\n", std::string(mixed, sizeof mixed - 1)}) {
    expect_same_headers(content);
  }
}

TEST(LogFileHeaders, RandomLinesAcrossSeveralWindows) {
  std::string content;
  uint32_t seed = 12345;
  auto next = [&seed] { return seed = seed * 1103515245u + 12345u, (seed >> 8) & 0xffff; };
  const char firsts[] = {' ', '\t', 'j', 'd', '\r', '\0', '\n', 'x'};
  while (content.size() < (size_t{9} << 20)) {
    const size_t length = next() % 16 == 0 ? next() % 1200 : next() % 60;
    content += firsts[next() % sizeof firsts];
    content.append(length, static_cast<char>('a' + next() % 26));
    content += '\n';
  }
  content.append(300, 'z');  // a last line longer than a piece, without its newline
  expect_same_headers(content);
}

}  // namespace
