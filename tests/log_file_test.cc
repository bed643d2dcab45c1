#include "joblog/log_file.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <string>
#include <tuple>
#include <vector>

#include "joblog/log_lines.h"
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
    const LogLine line = read_line(log, offsets[i]);
    ASSERT_EQ(std::string(line.data, line.size), "line " + std::to_string(i) + "\n");
  }
  std::fclose(stream);
}

using Line = std::tuple<int64_t, int64_t, bool>;  // offset, size, end of file met

// Every line as the C library's getline gives it, then the read that meets the end.
std::vector<Line> lines_by_getline(std::FILE* stream) {
  std::vector<Line> lines;
  std::rewind(stream);
  char* line = nullptr;
  size_t capacity = 0;
  for (int64_t offset = 0;;) {
    const ssize_t size = getline(&line, &capacity, stream);
    const bool whole = size > 0 && line[size - 1] == '\n';
    lines.emplace_back(offset, size < 0 ? 0 : size, !whole);
    if (!whole) break;
    offset += size;
  }
  std::free(line);
  return lines;
}

// What a line says: up to its first NUL, else without its newline and one
// carriage return before it.
std::string text_of(const std::string& content, const Line& line) {
  const auto [offset, size, at_end] = line;
  std::string text = content.substr(static_cast<size_t>(offset), static_cast<size_t>(size));
  if (text.find('\0') != std::string::npos) return text.substr(0, text.find('\0'));
  if (!at_end) text.pop_back();
  if (!at_end && !text.empty() && text.back() == '\r') text.pop_back();
  return text;
}

// Lines, their texts, the record headers and where the scan ends must be what
// getline gives: a header is a whole line that does not begin with white space.
void expect_same_lines(const std::string& content) {
  TempDir dir;
  std::FILE* stream = std::fopen(dir.write("log", content).c_str(), "r");
  LogFile log(stream);
  const std::vector<Line> expected = lines_by_getline(stream);
  std::vector<Line> lines;
  std::string scratch;
  for_each_line(log, 0, [&](const LogLine& line) {
    lines.emplace_back(line.offset, line.size, line.at_end);
    const LineText text = line.text();
    EXPECT_TRUE(text.substr(0, text.size(), scratch) == text_of(content, lines.back()))
        << "the text of the line at " << line.offset;
    std::string to_nul;
    for_each_piece_to_nul(line, [&to_nul](std::string_view piece) { to_nul += piece; });
    const std::string bytes = content.substr(static_cast<size_t>(line.offset), line.size);
    EXPECT_TRUE(to_nul == bytes.substr(0, bytes.find('\0'))) << "the line at " << line.offset;
    return true;
  });
  EXPECT_TRUE(lines == expected) << lines.size() << " lines, " << expected.size() << " expected";

  std::vector<Line> headers, found;
  for (const Line& line : expected) {
    if (!std::get<2>(line) &&
        !std::isspace(static_cast<unsigned char>(content[std::get<0>(line)]))) {
      headers.push_back(line);
    }
  }
  const int64_t end = for_each_header(log, 0, [&](const LogLine& line) {
    found.emplace_back(line.offset, line.size, line.at_end);
  });
  std::fclose(stream);
  EXPECT_EQ(end, std::get<0>(expected.back()));
  EXPECT_TRUE(found == headers) << found.size() << " headers, " << headers.size() << " expected";
  // Raw mode copies whole records only when the scan saw no NUL byte.
  const size_t nul = content.find('\0');
  if (nul == std::string::npos || nul < static_cast<size_t>(end)) {
    EXPECT_EQ(log.has_nul(), nul != std::string::npos);
  }
}

TEST(LogFileLines, EndsOfFileAndLongLines) {
  const char mixed[] = "a\n \n\tb\n\rc\n\0d\n e\r\r\n\r\n";
  const std::string nul(1, '\0');
  // Lines one byte short of the window, filling it, of two windows, with
  // their carriage return in the window before their newline, with a NUL.
  const std::string window_line(kReadWindow, 'w');
  for (const std::string& content :
       {std::string(), std::string("h\n"), std::string("h"), std::string(600, 'h') + "\n",
        std::string(600, ' ') + "\nx\n", std::string(mixed, sizeof mixed - 1),
        window_line.substr(1) + "\nx\n", window_line + "\nx\n", window_line + "\n",
        "a\n" + window_line + "\r\n", window_line + window_line + "x",
        " " + window_line + nul + "\n", window_line.substr(1) + "\r\n", window_line + "\r\r\n"}) {
    expect_same_lines(content);
  }
}

TEST(LogFileLines, RandomLinesAcrossSeveralWindows) {
  std::string content;
  uint32_t seed = 12345;
  auto next = [&seed] { return seed = seed * 1103515245u + 12345u, (seed >> 8) & 0xffff; };
  const char firsts[] = {' ', '\t', 'j', 'd', '\r', '\0', '\n', 'x'};
  while (content.size() < (size_t{9} << 20)) {
    size_t length = next() % 16 == 0 ? next() % 1200 : next() % 60;
    if (next() % 2000 == 0) length = kReadWindow + next() * 8;  // longer than the window
    content += firsts[next() % sizeof firsts];
    content.append(length, static_cast<char>('a' + next() % 26));
    if (next() % 500 == 0) content.back() = '\0';
    if (next() % 8 == 0) content += '\r';
    content += '\n';
  }
  content.append(300, 'z');  // a last line without its newline
  expect_same_lines(content);
}

// A text read by position is read in 4,096-byte pieces. A mark at each edge of
// a piece, searched for from around it, forward and backward, is found where
// it lies, by position as in place; parts taken across a piece are its bytes.
TEST(LineText, MarksAtThePieceEdgesFoundByPositionAsInPlace) {
  constexpr int64_t kPiece = 4096, kSize = 3 * kPiece + 5;
  TempDir dir;
  std::string scratch;
  for (const int64_t mark : {int64_t{0}, int64_t{1}, kPiece - 1, kPiece, kPiece + 1,
                             kSize - kPiece - 1, kSize - kPiece, kSize - 1}) {
    std::string plain(kSize, 'v');
    plain[mark] = '"';
    const int fd = open(dir.write("text", "x" + plain).c_str(), O_RDONLY);
    for (const LineText& text : {LineText(plain), LineText(fd, 1, kSize)}) {
      for (const int64_t at : {int64_t{0}, mark - 1, mark, mark + 1, kSize}) {
        SCOPED_TRACE(std::to_string(mark) + " from " + std::to_string(at));
        const int64_t after = mark >= at ? mark : LineText::npos;
        const int64_t before = mark < at ? mark : LineText::npos;
        EXPECT_EQ(text.find('"', at), after);
        EXPECT_EQ(text.find_first_of(":\"", at), after);
        EXPECT_EQ(text.find_first_not_of("v", at), after);
        EXPECT_EQ(text.find_last_of("\".", at), before);
        EXPECT_EQ(text.find_last_not_of("v", at), before);
        const size_t from = static_cast<size_t>(std::max<int64_t>(at, 0));
        EXPECT_EQ(text.substr(at, kPiece + 2, scratch), plain.substr(from, kPiece + 2));
        EXPECT_EQ(text.substr(at, kSize, scratch), plain.substr(from));
      }
      EXPECT_EQ(text.rfind('"'), mark);
    }
    close(fd);
  }
}

}  // namespace
