// The reference display is the yardstick of the differential test, so its own
// output is checked here against results worked out by hand.
#include "support/reference_display.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>
#include <string>

#include "support/temp_dir.h"

namespace {

const std::string kBanner = " Job Log created 20261204\n  7\n";

DisplayItem item(const char* name, const char* width, ValueKind kind = ValueKind::kNone,
                 const char* format = nullptr, const char* leading = nullptr,
                 const char* trailing = nullptr) {
  DisplayItem d;
  d.attribute_name = name;
  d.field_width = width;
  d.value_kind = kind;
  if (format) d.value_format = format;
  if (leading) d.leading_text = leading;
  if (trailing) d.trailing_text = trailing;
  return d;
}

class ReferenceDisplayTest : public ::testing::Test {
 protected:
  void SetUp() override {
    setenv("TZ", "UTC", 1);
    tzset();
  }

  std::string show(const std::string& log, const DisplayTemplate& tpl, long start_after = 0,
                   bool raw = false) {
    ReferenceRun run;
    run.logs = {dir_.write("log", log)};
    run.start_after = start_after;
    run.raw = raw;
    return reference_display(run, tpl);
  }

  TempDir dir_;
};

TEST_F(ReferenceDisplayTest, BuiltinDisplayOfAJobWithTwoAttributes) {
  const std::string rule = "\n" + std::string(80, '=') + "\n";
  const std::string q26(26, '?');
  const std::string expected =
      rule + "       Owner                            JobType  MediaCnt DocCnt   Submitted\n" +
      " Ident Status                           ProcTime   Size    Copy    Completed" + rule +  //
      "    42 guest" + std::string(27, ' ') + "   print    ??????  ???  Jan 01, 00:00:00\n       " +
      q26 + "       ???????  ????????  ???  Dec 04, 00:56:02\n      *" + q26 +
      std::string(46, ' ') + "\n" + std::string(80, '-') + "\n";
  EXPECT_EQ(show(kBanner + "abc:42\n  user-name = \"guest\"\n\tjob-type print\n completion-time "
                           "20261204005602Z\n",
                 builtin_display()),
            expected);
}

TEST_F(ReferenceDisplayTest, DocumentsGoWithTheJobAfterThem) {
  const std::string log =
      kBanner + "d.1\n a 1\nj:1\n a 2\nd.2\n a 3\nj:2\n a 4\nd.3\n a 5\nj:3\n a 6\n";
  EXPECT_EQ(show(log, builtin_display(), 2, true), "j:3\n a 6\nd.3\n a 5\n");
  EXPECT_EQ(show(log, builtin_display(), 0, true),
            "j:3\n a 6\nd.3\n a 5\nj:2\n a 4\nd.2\n a 3\nj:1\n a 2\nd.1\n a 1\n");
}

TEST_F(ReferenceDisplayTest, LineLongerThanOneRead) {
  // The second piece of the line begins with 'x': a record header of its own,
  // a document shown first since it is the newest record.
  const std::string log = kBanner + "j:1\n " + std::string(299, 'x') + "\n";
  EXPECT_EQ(show(log, builtin_display(), 0, true),
            std::string(46, 'x') + "\n" + "j:1\n " + std::string(253, 'x'));
}

TEST_F(ReferenceDisplayTest, LastLineWithoutNewlineIsNeverRead) {
  DisplayTemplate tpl;
  tpl.job_items = {item("user-name", "", ValueKind::kNone, nullptr, nullptr, "|")};
  const std::string log = kBanner + "j:1\n a 1\n user-name guest";
  EXPECT_EQ(show(log, tpl), std::string(26, '?') + "|");
  EXPECT_EQ(show(log, tpl, 0, true), "j:1\n a 1\n");
}

TEST_F(ReferenceDisplayTest, ValueForms) {
  // The record is a document (its last ':' or '.' is a '.'), shown after the
  // job that follows it in the log.
  DisplayTemplate tpl;
  tpl.missing_fill.reset();
  tpl.job_items = {item("job-identifier", "", ValueKind::kNone, nullptr, nullptr, "|")};
  tpl.document_items = {
      item("job-state-reasons", "", ValueKind::kRepeated, " ", "<", ">"),
      item("user-name", "-6", ValueKind::kNone, nullptr, "[", "]"),
      item("job-name", "", ValueKind::kNone, nullptr, "(", ")"),
      item("job-type", "", ValueKind::kNone, nullptr, "{", "}"),
      item("absent", "9", ValueKind::kRepeated, " ", "never", "shown"),
      item("job-identifier", "", ValueKind::kIdentifier, "job # of $", " "),
      item("job-identifier", "", ValueKind::kRepeated, " ", " "),
  };
  const std::string log = kBanner +
                          "queue:42.1\n"
                          "\tjob-state-reasons\t\tb\n"
                          "  user-name=x\n"
                          "  job-name == say \"hi\" \"there\"\r\n"
                          "\n"
                          "  job-state-reasons c\r\n"
                          "  user-name\n"
                          "  job-type \"half\n"
                          "  job-state-reasons = \"d\"\r\n"
                          "  user-name not-this\n"
                          "next:1\n"
                          "  job-state-reasons e\n";
  EXPECT_EQ(show(log, tpl), "1|<\tb><c\r><d>[      ](hi\" \"there){\"half} job 42.1 of queue 42.1");
}

}  // namespace
