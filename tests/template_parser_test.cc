#include "template/template_parser.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <string>

#include "diag/diagnostics.h"
#include "support/captured_errors.h"
#include "support/scoped_env.h"
#include "support/temp_dir.h"

namespace {

std::string text(const std::optional<std::string>& t) { return t ? *t : "~"; }

// Each item as (leading,name,width,trailing[,kind format]); "~" is an absent text.
std::string show(const DisplayList& list) {
  std::string out;
  for (const DisplayItem& i : list) {
    out += "(" + text(i.leading_text) + "," + text(i.attribute_name) + "," + text(i.field_width) +
           "," + text(i.trailing_text);
    if (i.value_kind != ValueKind::kNone)
      out += "," + std::string(1, static_cast<char>(i.value_kind)) + text(i.value_format);
    out += ")";
  }
  return out;
}

// What the parse changed in the built-in display: the lists that differ (H, J,
// D, T) and the settings that differ.
std::string show(const DisplayTemplate& tpl) {
  const DisplayTemplate builtin = builtin_display();
  std::string out;
  auto list = [&](const char* label, const DisplayList& now, const DisplayList& before) {
    if (show(now) != show(before) || (now.empty() && !before.empty())) out += label + show(now) + " ";
  };
  list("H", tpl.header_lines, builtin.header_lines);
  list("J", tpl.job_items, builtin.job_items);
  list("D", tpl.document_items, builtin.document_items);
  list("T", tpl.trailer_lines, builtin.trailer_lines);
  if (tpl.default_time_format != kDefaultTimeFormat) out += "time=" + tpl.default_time_format + " ";
  if (tpl.job_separator) out += "jsep=" + *tpl.job_separator + " ";
  if (tpl.document_separator) out += "dsep=" + *tpl.document_separator + " ";
  if (tpl.open_marker != "{" || tpl.close_marker != "}")
    out += "markers=" + tpl.open_marker + tpl.close_marker + " ";
  return out;
}

struct Row {
  std::string content;
  bool ok;
  std::string messages;  // each with its "t.tpl:   N: " prefix
  std::string shown;     // show() of the result
};

const std::string k1998(1998, 'n');
const std::string kLongSize(300, 'x');

const Row kRows[] = {
    // Sections and states.
    {"", true, "", ""},
    {"! only a comment\n\n   \n", true, "", ""},
    {"! a small display\n%header\n Ident  Owner\n%job\njob-identifier\nuser-name\n"
     "*submission-time \"%H:%M\"\n%layout\n{6.6} {-32.32}\n  {16}\n",
     true, "",
     "H(~,~,~, Ident  Owner\n) J(~,job-identifier,6.6,~)( ,user-name,-32.32,\n)"
     "(  ,submission-time,16,\n,*%H:%M) "},
    {"%job\nuser-name\n%layout\n{8}\n", true, "", "J(~,user-name,8,\n) "},
    {"%job\na\n%JOB\nb\n%jobs x\nc\n%layout\n{1}{2}{3}\n", true,
     "t.tpl:   3: Unrecognized section 'JOB'.\nt.tpl:   5: Unrecognized section 'jobs'.\n",
     "J(~,a,1,~)(~,b,2,~)(~,c,3,\n) "},
    {"%job\na\n%  \t\nb\n%layout\n{1}{2}\n", true, "t.tpl:   3: Unrecognized section ''.\n",
     "J(~,a,1,~)(~,b,2,\n) "},
    {"%job\na\nb\n%layout\n{1}{2}\n%job\nc\n%layout\n{3}\n", true, "", "J(~,c,3,\n) "},
    {"%job\n%layout\n{5} {6}\n", true, "", "J "},
    {"%job\na\nb\nc\n%layout\n{1}\n%time \"%Y\"\n{2}\n%other\n{3}\n", true,
     "t.tpl:   9: Unrecognized section 'other'.\n",
     "J(~,a,1,\n)(~,b,2,\n)(~,c,3,\n) time=%Y "},
    // Each separator line replaces the one before.
    {"%header\nH\n%separator\n--\n%job\n%separator\n==\n##\n%document\n%separator\n::\n", true,
     "", "H(~,~,~,H\n) J jsep=##\n dsep=::\n "},
    {"%header\nH\r\n%trailer\r\nT\r\n", true, "t.tpl:   3: Unrecognized section 'trailer\r'.\n",
     "H(~,~,~,H\r\n)(~,~,~,T\r\n) "},
    {"%trailer\nT\n%header", true, "", "T(~,~,~,T\n) "},
    // Item lines and defaults.
    {"%job\n  user-name \"%Y\" more\n%layout\n{5}\n", true, "", "J(~,user-name,5,\n) "},
    {"%document\n*completion-time\n+job-state-reasons\n$job-identifier\n*\n%layout\n{1}{2}{3}{4}\n",
     true, "",
     "D(~,completion-time,1,~,*%h %d, %H:%M:%S)(~,job-state-reasons,2,~,+ )"
     "(~,job-identifier,3,~,$$:#)(~,,4,\n,*%h %d, %H:%M:%S) "},
    // The last delimiter closes a format; an empty field counts as present.
    {"%job\n*a \"%H:%M\" after\n+b\t|, | \n$c x$-#x\n*d \"\"\n%layout\n{}{}{}{}\n", true, "",
     "J(~,a,,~,*%H:%M)(~,b,,~,+, )(~,c,,~,$$-#)(~,d,,\n,*) "},
    {"%job\n*a\n%time  'at %H'\n*b\n%layout\n{}{}\n", true, "",
     "J(~,a,,~,*%h %d, %H:%M:%S)(~,b,,\n,*at %H) time=at %H "},
    {"%time\n%time \x01x\x01\n", true,
     "t.tpl:   1: No time format specified, default used.\n"
     "t.tpl:   2: No time format specified, default used.\n",
     ""},
    {"%time \"%H!%M\"\n%job\n*a \"x!y\"\n%layout\n{}\n", true,
     "t.tpl:   1: No terminating (\") found in field format.\n"
     "t.tpl:   1: No time format specified, default used.\n"
     "t.tpl:   3: No terminating (\") found in field format.\n",
     "J(~,a,,\n,*%h %d, %H:%M:%S) "},
    {"%job\n7user-name\n-\n%layout\n{}{}\n", true,
     "t.tpl:   2: Unknown value type indicator '7' found for user-name\n"
     "t.tpl:   3: Unknown value type indicator '-' found for \n",
     "J(~,user-name,,~)(~,,,\n) "},
    {"%job\na\n\\t\\t\nb\n%layout\n{1}{2}\n", true, "", "J(~,a,1,~)(~,b,2,\n) "},
    {"%header\n  A\\t ! note\nB\n", true, "", "H(~,~,~,  A\t )(~,~,~,B\n) "},
    // Layouts and markers.
    {"%job\na\nb\nc\n%layout\n<{1}|{2}>\nno field here\n  {3} end\n", true, "",
     "J(<,a,1,~)(|,b,2,>\n)(  ,c,3, end\n) "},
    {"%job\na\nb\n%layout\n{1} {2} {3} tail\n{4}\n", true, "", "J(~,a,1,~)( ,b,2,~) "},
    {"%job\na\nb\nc\n%layout\n{1}\n%document\nd\n", false,
     "t.tpl:   9: No field size for attribute 'b'.\n"
     "t.tpl:   9: No field size for attribute 'c'.\n"
     "t.tpl:   9: No field size for attribute 'd'.\n",
     "J(~,a,1,\n)(~,b,~,~)(~,c,~,~) D(~,d,~,~) "},
    // The leading text set before the fault stays; a field at a line start keeps it.
    {"%job\na\n%layout\nab {6x} {7}\n{8}\n", true,
     "t.tpl:   4: Expected only field size, found '6x' instead.\n", "J(ab ,a,8,\n) "},
    {"%job\na\n%layout\n{" + kLongSize + "}\n{5}\n", true,
     "t.tpl:   4: Expected only field size, found '" + kLongSize + "' instead.\n",
     "J(~,a,5,\n) "},
    {"%job\na\n%layout\nx {12\n {3}\n", true,
     "t.tpl:   4: Missing field size termination marker '}'.\n", "J( ,a,3,\n) "},
    {"%job\na\nb\n%layout <( )>\n<(1)> (<2>)\n", true, "",
     "J(~,a,1,~)( ,b,2,\n) markers=<()> "},
    {"%job\na\n%layout [ ]\n[1] {x}\n%document\nd\n%layout\n[2]\n", true, "",
     "J(~,a,1, {x}\n) D(~,d,2,\n) markers=[] "},
    // A field opening within the marker's length of the end has no close
    // marker; one closing there ends the line.
    {"%job\na\nb\nc\n%layout << >>\nx <<5>> <\n<<6>! end\nab<! end\n", false,
     "t.tpl:   6: Missing field size termination marker '>>'.\n"
     "t.tpl:   8: Missing field size termination marker '>>'.\n"
     "t.tpl:   9: No field size for attribute 'c'.\n",
     "J(x ,a,5,~)( ,b,6,~)(ab,c,~,~) markers=<<>> "},
    {"%job\na\n%layout " + std::string(1500, '<') + " " + std::string(400, '>') + "\n<\nx<<<\n",
     false,
     "t.tpl:   4: Missing field size termination marker '" + std::string(400, '>') +
         "'.\nt.tpl:   5: Missing field size termination marker '" + std::string(400, '>') +
         "'.\nt.tpl:   6: No field size for attribute 'a'.\n",
     "J(x,a,~,~) markers=" + std::string(1500, '<') + std::string(400, '>') + " "},
    // Lines up to the limit, and continuations that outgrow it.
    {"%header\n" + std::string(1998, 'h') + "\n%job\n" + k1998 + "\n%layout\n{" +
         std::string(1996, '9') + "}\n",
     true, "",
     "H(~,~,~," + std::string(1998, 'h') + "\n) J(~," + k1998 + "," + std::string(1996, '9') +
         ",\n) "},
    {[] {
       std::string content = "%header\n";
       for (int i = 0; i < 100; ++i) content += std::string(50, 'x') + "\\\n";
       return content + "end\n";
     }(),
     true, "t.tpl:  40: Line too long!\nt.tpl:  79: Line too long!\n",
     "H(~,~,~," + std::string(38 * 50, 'x') + "\n)(~,~,~," + std::string(38 * 50, 'x') + "\n)(~,~,~," +
         std::string(22 * 50, 'x') + "end\n) "},
};

// Template texts written to "t.tpl" in a scratch directory, parsed over the
// built-in display with the error channel captured.
class TemplateParser : public testing::Test {
 protected:
  TemplateParser() : cwd_(dir_.path()) {}

  bool parse(const std::string& content) {
    dir_.write("t.tpl", content);
    return parse_template("t.tpl", tpl_);
  }

  TempDir dir_;
  ScopedCwd cwd_;
  CapturedErrors errors_;
  DisplayTemplate tpl_ = builtin_display();
};

TEST_F(TemplateParser, Table) {
  for (const Row& row : kRows) {
    SCOPED_TRACE(testing::PrintToString(row.content.substr(0, 200)));
    CapturedErrors errors;
    tpl_ = builtin_display();
    EXPECT_EQ(parse(row.content), row.ok);
    EXPECT_EQ(errors.text(), row.messages);
    EXPECT_EQ(show(tpl_), row.shown);
  }
}

using TemplateParserDeathTest = TemplateParser;

// The program ends at once with status 1 and exactly these messages.
TEST_F(TemplateParserDeathTest, FatalShapes) {
  const std::string no_section =
      "t.tpl:   3: Not a legally formatted display template file.\n"
      "t.tpl:   3: No '%' template description sections found.\n";
  std::string eleven = "%job\n", eleven_messages;
  for (int line = 2; line <= 12; ++line) {
    eleven += "7a\n";
    char prefix[16];
    std::snprintf(prefix, sizeof prefix, "t.tpl:%4d: ", line);
    eleven_messages += std::string(prefix) + "Unknown value type indicator '7' found for a\n";
  }
  const std::pair<std::string, std::string> kFatal[] = {
      {"! c\n\nuser-name\n", no_section},
      {"%time \"%H\"\n%separator\nuser-name\n", no_section},
      {"%layout\n", "t.tpl:   1: Layout MUST appear after job or document attribute section.\n"},
      {"%header\nH\n%layout\n",
       "t.tpl:   3: Layout MUST appear after job or document attribute section.\n"},
      {"%job\na\n%layout\n{1}\n%layout\n",
       "t.tpl:   5: Layout MUST appear after job or document attribute section.\n"},
      {eleven, eleven_messages + "... exceeded error count, exiting...\n"},
  };
  for (const auto& [content, messages] : kFatal) {
    EXPECT_EXIT(
        {
          diagnostics().err = nullptr;
          parse(content);
        },
        testing::ExitedWithCode(1), testing::Matcher<const std::string&>(messages));
  }
}

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
  EXPECT_EQ(delimited(" \t|a|b| rest"), "<a|b>");
  EXPECT_EQ(delimited("xa bx"), "<a b>");
  EXPECT_EQ(errors.text(), "");
  EXPECT_EQ(delimited("  \"abc\n"), "none");
  EXPECT_EQ(delimited("~"), "none");
  EXPECT_EQ(
      errors.text(),
      "No terminating (\") found in field format.\nNo terminating (~) found in field format.\n");
  char text[] = "'ab'cd";  // the terminator replaces the closing delimiter
  EXPECT_STREQ(extract_delimited(text), "ab");
  EXPECT_EQ(std::string(text, sizeof text - 1), std::string("'ab\0cd", 6));
}

TEST_F(TemplateParser, FilesThatCannotBeRead) {
  EXPECT_FALSE(parse_template("missing.tpl", tpl_));
  ASSERT_EQ(mkdir("dir.tpl", 0755), 0);
  EXPECT_FALSE(parse_template("dir.tpl", tpl_));
  EXPECT_EQ(errors_.text(), "Unable to access file 'missing.tpl'.\nUnable to access file 'dir.tpl'.\n");
  EXPECT_EQ(show(tpl_), "");
  // Reading this file at its start fails with an I/O error.
  if (access("/proc/self/mem", R_OK) != 0) return;
  CapturedErrors errors;
  EXPECT_FALSE(parse_template("/proc/self/mem", tpl_));
  EXPECT_EQ(errors.text(), "/proc/self/mem:   1: Unable to access file '/proc/self/mem'.\n");
}

TEST_F(TemplateParser, ContextStaysCurrentAfterTheParse) {
  EXPECT_TRUE(parse("%job\na\n%layout\n{1}\n"));
  error("later\n");
  EXPECT_EQ(errors_.text(), "t.tpl:   5: later\n");
}

TEST_F(TemplateParser, NameAsGivenAlsoUnderSessPath) {
  TempDir sess;
  sess.write("s.tpl", "%bad\n");
  ScopedEnv env("SESSPATH", sess.path().c_str());
  EXPECT_TRUE(parse_template("s.tpl", tpl_));
  EXPECT_EQ(errors_.text(), "s.tpl:   1: Unrecognized section 'bad'.\n");
}

}  // namespace
