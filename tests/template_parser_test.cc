#include "template/template_parser.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <climits>
#include <string>

#include "diag/diagnostics.h"
#include "support/captured_errors.h"
#include "support/display_items.h"
#include "support/scoped_env.h"
#include "support/temp_dir.h"

namespace {

// Parses template texts written to "t.tpl" in a scratch directory, starting
// from the built-in display, with the error channel captured.
class TemplateParser : public testing::Test {
 protected:
  TemplateParser() : cwd_(dir_.path()) {}

  bool parse(const std::string& content, const char* name = "t.tpl") {
    dir_.write(name, content);
    return parse_template(name, tpl_);
  }
  std::string errors() const { return errors_.text(); }

  TempDir dir_;
  ScopedCwd cwd_;
  CapturedErrors errors_;
  DisplayTemplate tpl_ = builtin_display();
};

DisplayItem with_kind(DisplayItem item, ValueKind kind, const char* format) {
  item.value_kind = kind;
  item.value_format = format;
  return item;
}

const DisplayTemplate kBuiltin = builtin_display();

// ---- Sections and states

TEST_F(TemplateParser, EmptyFileChangesNothing) {
  EXPECT_TRUE(parse(""));
  EXPECT_TRUE(parse("! only a comment\n\n   \n"));
  EXPECT_EQ(errors(), "");
  EXPECT_EQ(tpl_.job_items, kBuiltin.job_items);
  EXPECT_EQ(tpl_.header_lines, kBuiltin.header_lines);
  EXPECT_TRUE(tpl_.document_items.empty());
}

TEST_F(TemplateParser, WorkedExample) {
  EXPECT_TRUE(
      parse("! a small display\n%header\n Ident  Owner\n%job\njob-identifier\nuser-name\n"
            "*submission-time \"%H:%M\"\n%layout\n{6.6} {-32.32}\n  {16}\n"));
  EXPECT_EQ(errors(), "");
  EXPECT_EQ(tpl_.header_lines, (DisplayList{make_text_line(" Ident  Owner\n")}));
  EXPECT_EQ(tpl_.job_items, (DisplayList{make_item("job-identifier", "6.6"),
                                         make_item("user-name", "-32.32", " ", "\n"),
                                         with_kind(make_item("submission-time", "16", "  ", "\n"),
                                                   ValueKind::kTime, "%H:%M")}));
  EXPECT_TRUE(tpl_.document_items.empty());
  EXPECT_TRUE(tpl_.trailer_lines.empty());
}

TEST_F(TemplateParser, OnlyJobSectionKeepsBuiltinHeader) {
  EXPECT_TRUE(parse("%job\nuser-name\n%layout\n{8}\n"));
  EXPECT_EQ(tpl_.header_lines, kBuiltin.header_lines);
  EXPECT_EQ(tpl_.job_items, (DisplayList{make_item("user-name", "8", nullptr, "\n")}));
}

TEST_F(TemplateParser, KeywordIsCaseSensitiveAndWhole) {
  EXPECT_TRUE(parse("%job\na\n%JOB\nb\n%jobs x\nc\n%layout\n{1}{2}{3}\n"));
  EXPECT_EQ(errors(),
            "t.tpl:   3: Unrecognized section 'JOB'.\n"
            "t.tpl:   5: Unrecognized section 'jobs'.\n");
  ASSERT_EQ(tpl_.job_items.size(), 3u);
  EXPECT_EQ(*tpl_.job_items[2].attribute_name, "c");
}

TEST_F(TemplateParser, SectionLineWithoutKeyword) {
  EXPECT_TRUE(parse("%job\na\n%  \t\nb\n%layout\n{1}{2}\n"));
  EXPECT_EQ(errors(), "t.tpl:   3: Unrecognized section ''.\n");
  EXPECT_EQ(tpl_.job_items.size(), 2u);
}

TEST_F(TemplateParser, SecondJobSectionReplacesFirst) {
  EXPECT_TRUE(parse("%job\na\nb\n%layout\n{1}{2}\n%job\nc\n%layout\n{3}\n"));
  EXPECT_EQ(tpl_.job_items, (DisplayList{make_item("c", "3", nullptr, "\n")}));
}

TEST_F(TemplateParser, LayoutWithoutItemsGivesEmptyList) {
  EXPECT_TRUE(parse("%job\n%layout\n{5} {6}\n"));
  EXPECT_EQ(errors(), "");
  EXPECT_TRUE(tpl_.job_items.empty());
}

TEST_F(TemplateParser, TimeAndUnrecognisedSectionsKeepTheLayoutGoing) {
  EXPECT_TRUE(parse("%job\na\nb\nc\n%layout\n{1}\n%time \"%Y\"\n{2}\n%other\n{3}\n"));
  EXPECT_EQ(errors(), "t.tpl:   9: Unrecognized section 'other'.\n");
  EXPECT_EQ(tpl_.job_items,
            (DisplayList{make_item("a", "1", nullptr, "\n"), make_item("b", "2", nullptr, "\n"),
                         make_item("c", "3", nullptr, "\n")}));
  EXPECT_EQ(tpl_.default_time_format, "%Y");
}

TEST_F(TemplateParser, SeparatorLinesFollowTheLastAttributeSection) {
  EXPECT_TRUE(parse("%header\nH\n%separator\n--\n%job\n%separator\n==\n##\n"));
  EXPECT_EQ(tpl_.document_separator, "--\n");
  EXPECT_EQ(tpl_.job_separator, "##\n");  // each line replaces the one before
  EXPECT_TRUE(parse("%document\n%separator\n::\n"));
  EXPECT_EQ(tpl_.document_separator, "::\n");
}

TEST_F(TemplateParser, CarriageReturnLineEnds) {
  EXPECT_TRUE(parse("%header\nH\r\n%trailer\r\nT\r\n"));
  EXPECT_EQ(errors(), "t.tpl:   3: Unrecognized section 'trailer\r'.\n");
  EXPECT_EQ(tpl_.header_lines, (DisplayList{make_text_line("H\r\n"), make_text_line("T\r\n")}));
}

TEST_F(TemplateParser, LastLineWithoutNewlineIsIgnored) {
  EXPECT_TRUE(parse("%trailer\nT\n%header"));
  EXPECT_EQ(tpl_.header_lines, kBuiltin.header_lines);
  EXPECT_EQ(tpl_.trailer_lines, (DisplayList{make_text_line("T\n")}));
}

using TemplateParserDeathTest = TemplateParser;

// The program ends at once with status 1 and exactly these messages.
#define EXPECT_FATAL(content, messages) \
  EXPECT_EXIT(                          \
      {                                 \
        diagnostics().err = nullptr;    \
        parse(content);                 \
      },                                \
      testing::ExitedWithCode(1), testing::Matcher<const std::string&>(messages))

TEST_F(TemplateParserDeathTest, ContentBeforeAnyListSection) {
  const std::string messages =
      "t.tpl:   3: Not a legally formatted display template file.\n"
      "t.tpl:   3: No '%' template description sections found.\n";
  EXPECT_FATAL("! c\n\nuser-name\n", messages);
  EXPECT_FATAL("%time \"%H\"\n%separator\nuser-name\n", messages);
}

TEST_F(TemplateParserDeathTest, LayoutOutsideJobOrDocument) {
  EXPECT_FATAL("%layout\n",
               "t.tpl:   1: Layout MUST appear after job or document attribute section.\n");
  EXPECT_FATAL("%header\nH\n%layout\n",
               "t.tpl:   3: Layout MUST appear after job or document attribute section.\n");
  EXPECT_FATAL("%job\na\n%layout\n{1}\n%layout\n",
               "t.tpl:   5: Layout MUST appear after job or document attribute section.\n");
}

TEST_F(TemplateParserDeathTest, EleventhMessageEndsTheParse) {
  std::string content = "%job\n";
  std::string messages;
  for (int line = 2; line <= 12; ++line) {
    content += "7a\n";
    char prefix[16];
    std::snprintf(prefix, sizeof prefix, "t.tpl:%4d: ", line);
    messages += std::string(prefix) + "Unknown value type indicator '7' found for a\n";
  }
  EXPECT_FATAL(content, messages + "... exceeded error count, exiting...\n");
}

// ---- Item lines and defaults

TEST_F(TemplateParser, PlainAttributeIgnoresTheRestOfItsLine) {
  EXPECT_TRUE(parse("%job\n  user-name \"%Y\" more\n%layout\n{5}\n"));
  EXPECT_EQ(tpl_.job_items, (DisplayList{make_item("user-name", "5", nullptr, "\n")}));
}

TEST_F(TemplateParser, IndicatorsWithoutFormatTakeDefaults) {
  EXPECT_TRUE(
      parse("%document\n*completion-time\n+job-state-reasons\n$job-identifier\n*\n"
            "%layout\n{1}{2}{3}{4}\n"));
  EXPECT_EQ(errors(), "");
  EXPECT_EQ(
      tpl_.document_items,
      (DisplayList{
          with_kind(make_item("completion-time", "1"), ValueKind::kTime, kDefaultTimeFormat),
          with_kind(make_item("job-state-reasons", "2"), ValueKind::kRepeated, " "),
          with_kind(make_item("job-identifier", "3"), ValueKind::kIdentifier, "$:#"),
          with_kind(make_item("", "4", nullptr, "\n"), ValueKind::kTime, kDefaultTimeFormat)}));
}

TEST_F(TemplateParser, IndicatorsWithDelimitedFormats) {
  EXPECT_TRUE(parse("%job\n*a \"%H:%M\" after\n+b\t|, | \n$c x$-#x\n*d \"\"\n%layout\n{}{}{}{}\n"));
  EXPECT_EQ(errors(), "");
  ASSERT_EQ(tpl_.job_items.size(), 4u);
  EXPECT_EQ(tpl_.job_items[0].value_format, "%H:%M");
  EXPECT_EQ(tpl_.job_items[1].value_format, ", ");
  EXPECT_EQ(tpl_.job_items[2].value_format, "$-#");
  EXPECT_EQ(tpl_.job_items[3].value_format, "");
  EXPECT_EQ(tpl_.job_items[3].field_width, "");  // an empty field counts as present
}

TEST_F(TemplateParser, TimeLineChangesOnlyLaterTimeItems) {
  EXPECT_TRUE(parse("%job\n*a\n%time  'at %H'\n*b\n%layout\n{}{}\n"));
  EXPECT_EQ(tpl_.job_items[0].value_format, kDefaultTimeFormat);
  EXPECT_EQ(tpl_.job_items[1].value_format, "at %H");
  EXPECT_EQ(tpl_.default_time_format, "at %H");
}

TEST_F(TemplateParser, TimeLineWithoutFormat) {
  EXPECT_TRUE(parse("%time\n%time \x01x\x01\n"));
  EXPECT_EQ(errors(),
            "t.tpl:   1: No time format specified, default used.\n"
            "t.tpl:   2: No time format specified, default used.\n");
  EXPECT_EQ(tpl_.default_time_format, kDefaultTimeFormat);
}

TEST_F(TemplateParser, CommentCharacterCutsAFormat) {
  EXPECT_TRUE(parse("%time \"%H!%M\"\n%job\n*a \"x!y\"\n%layout\n{}\n"));
  EXPECT_EQ(errors(),
            "t.tpl:   1: No terminating (\") found in field format.\n"
            "t.tpl:   1: No time format specified, default used.\n"
            "t.tpl:   3: No terminating (\") found in field format.\n");
  EXPECT_EQ(tpl_.job_items[0].value_format, kDefaultTimeFormat);
}

TEST_F(TemplateParser, UnknownIndicator) {
  EXPECT_TRUE(parse("%job\n7user-name\n-\n%layout\n{}{}\n"));
  EXPECT_EQ(errors(),
            "t.tpl:   2: Unknown value type indicator '7' found for user-name\n"
            "t.tpl:   3: Unknown value type indicator '-' found for \n");
  EXPECT_EQ(tpl_.job_items,
            (DisplayList{make_item("user-name", ""), make_item("", "", nullptr, "\n")}));
}

TEST_F(TemplateParser, ItemLineOfEscapedBlanksIsDropped) {
  EXPECT_TRUE(parse("%job\na\n\\t\\t\nb\n%layout\n{1}{2}\n"));
  EXPECT_EQ(errors(), "");
  EXPECT_EQ(tpl_.job_items, (DisplayList{make_item("a", "1"), make_item("b", "2", nullptr, "\n")}));
}

TEST_F(TemplateParser, HeaderLineWithCommentLosesItsNewline) {
  EXPECT_TRUE(parse("%header\n  A\\t ! note\nB\n"));
  EXPECT_EQ(tpl_.header_lines, (DisplayList{make_text_line("  A\t "), make_text_line("B\n")}));
}

// ---- Layouts and markers

TEST_F(TemplateParser, FieldsFillConsecutiveItemsAcrossLines) {
  EXPECT_TRUE(parse("%job\na\nb\nc\n%layout\n<{1}|{2}>\nno field here\n  {3} end\n"));
  EXPECT_EQ(tpl_.job_items, (DisplayList{make_item("a", "1", "<"), make_item("b", "2", "|", ">\n"),
                                         make_item("c", "3", "  ", " end\n")}));
}

TEST_F(TemplateParser, MoreFieldsThanItems) {
  EXPECT_TRUE(parse("%job\na\nb\n%layout\n{1} {2} {3} tail\n{4}\n"));
  EXPECT_EQ(errors(), "");
  EXPECT_EQ(tpl_.job_items, (DisplayList{make_item("a", "1"), make_item("b", "2", " ")}));
}

TEST_F(TemplateParser, FewerFieldsThanItems) {
  EXPECT_FALSE(parse("%job\na\nb\nc\n%layout\n{1}\n%document\nd\n"));
  EXPECT_EQ(errors(),
            "t.tpl:   9: No field size for attribute 'b'.\n"
            "t.tpl:   9: No field size for attribute 'c'.\n"
            "t.tpl:   9: No field size for attribute 'd'.\n");
}

TEST_F(TemplateParser, FieldSizeWithALetter) {
  EXPECT_TRUE(parse("%job\na\n%layout\nab {6x} {7}\n{8}\n"));
  EXPECT_EQ(errors(), "t.tpl:   4: Expected only field size, found '6x' instead.\n");
  // The leading text was set before the fault, and a field at the start of
  // the next line leaves it as it was.
  EXPECT_EQ(tpl_.job_items, (DisplayList{make_item("a", "8", "ab ", "\n")}));
}

TEST_F(TemplateParser, MissingCloseMarker) {
  EXPECT_TRUE(parse("%job\na\n%layout\nx {12\n {3}\n"));
  EXPECT_EQ(errors(), "t.tpl:   4: Missing field size termination marker '}'.\n");
  EXPECT_EQ(tpl_.job_items, (DisplayList{make_item("a", "3", " ", "\n")}));
}

TEST_F(TemplateParser, AnyMarkerCharacterCounts) {
  EXPECT_TRUE(parse("%job\na\nb\n%layout <( )>\n<(1)> (<2>)\n"));
  EXPECT_EQ(tpl_.job_items, (DisplayList{make_item("a", "1"), make_item("b", "2", " ", "\n")}));
}

TEST_F(TemplateParser, MarkerWordsStayForLaterSections) {
  EXPECT_TRUE(parse("%job\na\n%layout [ ]\n[1] {x}\n%document\nd\n%layout\n[2]\n"));
  EXPECT_EQ(tpl_.job_items, (DisplayList{make_item("a", "1", nullptr, " {x}\n")}));
  EXPECT_EQ(tpl_.document_items, (DisplayList{make_item("d", "2", nullptr, "\n")}));
  EXPECT_EQ(tpl_.open_marker, "[");
  EXPECT_EQ(tpl_.close_marker, "]");
}

TEST_F(TemplateParser, MultiCharacterMarkersNearTheLineEnd) {
  // A field opening within the marker's length of the end has no close
  // marker; one closing there ends the line.
  EXPECT_FALSE(parse("%job\na\nb\nc\n%layout << >>\nx <<5>> <\n<<6>! end\nab<! end\n"));
  EXPECT_EQ(errors(),
            "t.tpl:   6: Missing field size termination marker '>>'.\n"
            "t.tpl:   8: Missing field size termination marker '>>'.\n"
            "t.tpl:   9: No field size for attribute 'c'.\n");
  EXPECT_EQ(tpl_.job_items, (DisplayList{make_item("a", "5", "x "), make_item("b", "6", " "),
                                         make_item("c", nullptr, "ab")}));
}

// ---- Delimited formats

std::string delimited(std::string text) {
  const char* format = extract_delimited(text.data());
  return format ? "<" + std::string(format) + ">" : "none";
}

TEST(DelimitedFormat, Shapes) {
  CapturedErrors errors;
  EXPECT_EQ(extract_delimited(nullptr), nullptr);
  EXPECT_EQ(delimited(""), "none");
  EXPECT_EQ(delimited(" \t\n"), "none");
  EXPECT_EQ(delimited("\r\"x\""), "none");  // a control character opens nothing
  EXPECT_EQ(delimited("\"%H:%M\"\n"), "<%H:%M>");
  EXPECT_EQ(delimited(" \t|a|b| rest"), "<a|b>");  // the last occurrence closes
  EXPECT_EQ(delimited("xa bx"), "<a b>");
  EXPECT_EQ(delimited("\"\""), "<>");
  EXPECT_EQ(errors.text(), "");
  EXPECT_EQ(delimited("  \"abc\n"), "none");
  EXPECT_EQ(delimited("~"), "none");
  EXPECT_EQ(
      errors.text(),
      "No terminating (\") found in field format.\nNo terminating (~) found in field format.\n");
}

TEST(DelimitedFormat, TerminatorReplacesClosingDelimiter) {
  char text[] = "'ab'cd";
  EXPECT_STREQ(extract_delimited(text), "ab");
  EXPECT_EQ(std::string(text, sizeof text - 1), std::string("'ab\0cd", 6));
}

// ---- The final check and the file

TEST(FieldSizes, ReportsEveryItemWithoutWidth) {
  CapturedErrors errors;
  EXPECT_TRUE(check_field_sizes({}));
  EXPECT_TRUE(check_field_sizes({make_item("a", "")}));
  EXPECT_FALSE(
      check_field_sizes({make_item("a", nullptr), make_item("b", "1"), make_item("c", nullptr)}));
  EXPECT_EQ(errors.text(), "No field size for attribute 'a'.\nNo field size for attribute 'c'.\n");
}

TEST_F(TemplateParser, MissingFileHasNoLocation) {
  EXPECT_FALSE(parse_template("missing.tpl", tpl_));
  ASSERT_EQ(mkdir("dir.tpl", 0755), 0);
  EXPECT_FALSE(parse_template("dir.tpl", tpl_));
  EXPECT_EQ(errors(), "Unable to access file 'missing.tpl'.\nUnable to access file 'dir.tpl'.\n");
  EXPECT_EQ(tpl_.job_items, kBuiltin.job_items);
}

TEST_F(TemplateParser, ContextStaysCurrentAfterTheParse) {
  {
    std::string name = "t.tpl";
    EXPECT_TRUE(parse("%job\na\n%layout\n{1}\n", name.c_str()));
  }
  error("later\n");
  EXPECT_EQ(errors(), "t.tpl:   5: later\n");
}

TEST_F(TemplateParser, NameAsGivenAlsoUnderSessPath) {
  TempDir sess;
  sess.write("s.tpl", "%bad\n");
  ScopedEnv env("SESSPATH", sess.path().c_str());
  EXPECT_TRUE(parse_template("s.tpl", tpl_));
  EXPECT_EQ(errors(), "s.tpl:   1: Unrecognized section 'bad'.\n");
}

TEST_F(TemplateParser, ReadErrorIsNotSuccess) {
  // Reading this file at its start fails with an I/O error.
  if (access("/proc/self/mem", R_OK) != 0) GTEST_SKIP();
  EXPECT_FALSE(parse_template("/proc/self/mem", tpl_));
  EXPECT_EQ(errors(), "/proc/self/mem:   1: Unable to access file '/proc/self/mem'.\n");
}

}  // namespace
