#include "template/line_reader.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "diag/diagnostics.h"
#include "support/captured_errors.h"
#include "support/temp_dir.h"

namespace {

struct LogicalLine {
  std::string text;
  int line_number;
  bool operator==(const LogicalLine& other) const {
    return text == other.text && line_number == other.line_number;
  }
};

std::ostream& operator<<(std::ostream& out, const LogicalLine& line) {
  return out << '{' << testing::PrintToString(line.text) << ", " << line.line_number << '}';
}

struct Reading {
  std::vector<LogicalLine> lines;  // the lines to be used, with their numbers
  int final_line_number;
  std::string errors;
};

// Reads a whole template file as the parser does.
Reading read_lines(const std::string& content, int line_size = kTemplateLineSize) {
  TempDir dir;
  CapturedErrors errors;
  std::FILE* stream = std::fopen(dir.write("t.tpl", content).c_str(), "r");
  ReaderContext context{stream, "t.tpl", line_size, 0, '!'};
  set_context(&context);
  std::vector<char> buffer(static_cast<size_t>(line_size));
  Reading reading;
  while (read_logical_line(buffer.data(), context)) {
    reading.lines.push_back({buffer.data(), context.line_number});
  }
  std::fclose(stream);
  reading.final_line_number = context.line_number;
  reading.errors = errors.text();
  return reading;
}

using Lines = std::vector<LogicalLine>;

TEST(LineReader, CommentOnlyLinesAreSkippedAndCounted) {
  const Reading r = read_lines("! title\n   ! indented\nabc\n");
  EXPECT_EQ(r.lines, (Lines{{"abc\n", 3}}));
  EXPECT_EQ(r.final_line_number, 4);
}

TEST(LineReader, TextThenCommentLosesItsNewline) {
  EXPECT_EQ(read_lines("abc ! note\nx\n").lines, (Lines{{"abc ", 1}, {"x\n", 2}}));
}

TEST(LineReader, BlankLinesOfSpacesTabsAndNewlinesAreSkipped) {
  EXPECT_EQ(read_lines("\n \t \n\t\nabc\n").lines, (Lines{{"abc\n", 4}}));
}

TEST(LineReader, CarriageReturnLineIsNotBlank) {
  EXPECT_EQ(read_lines("\r\nabc\r\n").lines, (Lines{{"\r\n", 1}, {"abc\r\n", 2}}));
}

TEST(LineReader, EscapedBlanksAreNotSkipped) {
  EXPECT_EQ(read_lines("\\t\\t\n").lines, (Lines{{"\t\t\n", 1}}));
}

TEST(LineReader, EveryEscapeTranslates) {
  EXPECT_EQ(read_lines("\\b\\f\\n\\r\\t\\\\\\q.\n").lines, (Lines{{"\b\f\n\r\t\\q.\n", 1}}));
}

TEST(LineReader, CommentIsCutBeforeEscapes) {
  // The backslash cannot protect '!': it is left last and dropped.
  EXPECT_EQ(read_lines("ab\\! c\nxy\n").lines, (Lines{{"ab", 1}, {"xy\n", 2}}));
}

TEST(LineReader, BackslashNewlineJoinsNextLine) {
  EXPECT_EQ(read_lines("ab\\\n  cd\nef\n").lines, (Lines{{"ab  cd\n", 2}, {"ef\n", 3}}));
}

TEST(LineReader, EscapedNBeforeNewlineIsNotAContinuation) {
  EXPECT_EQ(read_lines("ab\\n\ncd\n").lines, (Lines{{"ab\n\n", 1}, {"cd\n", 2}}));
}

TEST(LineReader, CarriageReturnAfterBackslashIsNotAContinuation) {
  EXPECT_EQ(read_lines("ab\\\r\ncd\n").lines, (Lines{{"ab\r\n", 1}, {"cd\n", 2}}));
}

TEST(LineReader, BackslashAndOneCharacterBeforeCommentContinues) {
  EXPECT_EQ(read_lines("ab\\x! c\ncd\n").lines, (Lines{{"abcd\n", 2}}));
}

TEST(LineReader, BlankAndCommentLinesInsideContinuationAreSkipped) {
  EXPECT_EQ(read_lines("ab\\\n\n  ! c\ncd\n").lines, (Lines{{"abcd\n", 4}}));
}

TEST(LineReader, ThreeLinesTwoContinuationsWithinRoom) {
  // Room 20 shrinks by 6, then by 6: the third line may have 7 characters.
  EXPECT_EQ(read_lines("aaaa\\\nbbbb\\\ncccccc\n", 20).lines, (Lines{{"aaaabbbbcccccc\n", 3}}));
  const Reading r = read_lines("aaaa\\\nbbbb\\\nccccccc\nz\n", 20);
  EXPECT_EQ(r.errors, "t.tpl:   3: Line too long!\n");
  // The line ends where it stood, its backslash escaping the newline.
  EXPECT_EQ(r.lines, (Lines{{"aaaabbbb\n", 3}, {"z\n", 4}}));
}

TEST(LineReader, ContinuationExactlyFillingRoom) {
  // "abcdefgh\\\n" leaves room 10: nine characters fit, ten do not.
  EXPECT_EQ(read_lines("abcdefgh\\\n12345678\n", 20).lines, (Lines{{"abcdefgh12345678\n", 2}}));
  const Reading r = read_lines("abcdefgh\\\n123456789\nz\n", 20);
  EXPECT_EQ(r.errors, "t.tpl:   2: Line too long!\n");
  EXPECT_EQ(r.lines, (Lines{{"abcdefgh\n", 2}, {"z\n", 3}}));
}

TEST(LineReader, BlankContinuationReplacedByLineThatFits) {
  EXPECT_EQ(read_lines("abcdefgh\\\n   \nxy\n", 20).lines, (Lines{{"abcdefghxy\n", 3}}));
}

TEST(LineReader, BlankContinuationReplacedByLineTooLongIsRefused) {
  const Reading r = read_lines("abcdefgh\\\n   \n0123456789\nz\n", 20);
  EXPECT_EQ(r.errors, "t.tpl:   3: Line too long!\n");
  EXPECT_EQ(r.lines, (Lines{{"abcdefgh   \n", 3}, {"z\n", 4}}));
}

TEST(LineReader, ContinuationChainOverflowingRoom) {
  // 52-character lines: 38 of them fit the room of 2000, the 39th does not.
  std::string chain;
  for (int i = 0; i < 100; ++i) chain += std::string(50, 'x') + "\\\n";
  const Reading r = read_lines(chain + "end\n");
  EXPECT_EQ(r.errors, "t.tpl:  39: Line too long!\nt.tpl:  78: Line too long!\n");
  ASSERT_EQ(r.lines.size(), 3u);
  EXPECT_EQ(r.lines[0], (LogicalLine{std::string(38 * 50, 'x') + "\n", 39}));
  EXPECT_EQ(r.lines[1], (LogicalLine{std::string(38 * 50, 'x') + "\n", 78}));
  EXPECT_EQ(r.lines[2], (LogicalLine{std::string(22 * 50, 'x') + "end\n", 101}));
}

TEST(LineReader, LineOf1998CharactersIsOneLine) {
  const std::string text(1998, 'x');
  EXPECT_EQ(read_lines(text + "\n").lines, (Lines{{text + "\n", 1}}));
}

TEST(LineReader, LineOf1999CharactersArrivesInTwoPieces) {
  const std::string text(1999, 'x');
  const Reading r = read_lines(text + "\nabc\n");
  // The second piece is the newline alone, skipped as blank.
  EXPECT_EQ(r.lines, (Lines{{text, 1}, {"abc\n", 3}}));
  EXPECT_EQ(r.final_line_number, 4);
}

TEST(LineReader, EmptyFile) {
  const Reading r = read_lines("");
  EXPECT_TRUE(r.lines.empty());
  EXPECT_EQ(r.final_line_number, 1);
}

TEST(LineReader, LastLineWithoutNewlineIsNotUsed) {
  const Reading r = read_lines("abc\nlast");
  EXPECT_EQ(r.lines, (Lines{{"abc\n", 1}}));
  EXPECT_EQ(r.final_line_number, 2);
}

TEST(LineReader, BlankLinesUpToTheEnd) {
  const Reading r = read_lines("abc\n\n \n");
  EXPECT_EQ(r.lines, (Lines{{"abc\n", 1}}));
  EXPECT_EQ(r.final_line_number, 4);
}

TEST(LineReader, ContinuationIntoTheEnd) {
  EXPECT_TRUE(read_lines("ab\\\n").lines.empty());
  EXPECT_TRUE(read_lines("ab\\\ncd").lines.empty());
  EXPECT_TRUE(read_lines("ab\\\n\n").lines.empty());
}

TEST(LineReader, PhysicalReadCountsEveryAttempt) {
  TempDir dir;
  std::FILE* stream = std::fopen(dir.write("t.tpl", "abcdef\n").c_str(), "r");
  ReaderContext context{stream, "t.tpl", 4, 0, '!'};
  char buffer[4];
  ASSERT_NE(read_physical_line(buffer, context), nullptr);
  EXPECT_STREQ(buffer, "abc");
  ASSERT_NE(read_physical_line(buffer, context), nullptr);
  EXPECT_STREQ(buffer, "def");
  ASSERT_NE(read_physical_line(buffer, context), nullptr);
  EXPECT_STREQ(buffer, "\n");
  EXPECT_EQ(read_physical_line(buffer, context), nullptr);
  EXPECT_STREQ(buffer, "\n");  // left as it was
  EXPECT_EQ(context.line_number, 4);
  std::fclose(stream);
}

TEST(LineReader, ReadErrorEndsReading) {
  // Reading a stream opened for writing fails without ever reaching the end.
  TempDir dir;
  std::FILE* stream = std::fopen(dir.write("t.tpl", "").c_str(), "w");
  ReaderContext context{stream, "t.tpl", kTemplateLineSize, 0, '!'};
  char buffer[kTemplateLineSize];
  EXPECT_FALSE(read_logical_line(buffer, context));
  EXPECT_FALSE(read_logical_line(buffer, context));
  EXPECT_EQ(context.line_number, 2);
  std::fclose(stream);
}

}  // namespace
