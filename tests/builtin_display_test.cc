#include <gtest/gtest.h>

#include <string>

#include "support/display_items.h"
#include "template/display_template.h"

namespace {

DisplayItem field(const char* name, const char* width, const std::string& trailing) {
  return make_item(name, width, nullptr, trailing.c_str());
}

DisplayItem time_field(const char* name, const std::string& trailing) {
  DisplayItem item = make_item(name, "16", nullptr, trailing.c_str());
  item.value_kind = ValueKind::kTime;
  item.value_format = "%h %d, %H:%M:%S";
  return item;
}

TEST(BuiltinDisplay, HeaderLines) {
  const std::string rule = "\n" + std::string(80, '=') + "\n";
  EXPECT_EQ(
      builtin_display().header_lines,
      (DisplayList{
          make_text_line(rule.c_str()),
          make_text_line(
              "       Owner                            JobType  MediaCnt DocCnt   Submitted\n"),
          make_text_line(
              " Ident Status                           ProcTime   Size    Copy    Completed"),
          make_text_line(rule.c_str()),
      }));
}

TEST(BuiltinDisplay, JobItemsFillThreeLinesAndARule) {
  const std::string dashes = "\n" + std::string(80, '-') + "\n";
  EXPECT_EQ(builtin_display().job_items, (DisplayList{
                                             field("job-identifier", "6.6", " "),
                                             field("user-name", "-32.32", " "),
                                             field("job-type", "7.7", "    "),
                                             field("media-sheets-completed", "6.6", "  "),
                                             field("number-of-documents", "3.3", "  "),
                                             time_field("submission-time", "\n       "),
                                             field("job-state-reasons", "-32.32", " "),
                                             field("processing-time", "7.7", "  "),
                                             field("total-job-octets", "8.8", "  "),
                                             field("job-copy-count", "3.3", "  "),
                                             time_field("completion-time", "\n      *"),
                                             field("job-name", "-72", dashes),
                                         }));
}

TEST(BuiltinDisplay, OtherSettingsAtTheirDefaults) {
  const DisplayTemplate tpl = builtin_display();
  EXPECT_TRUE(tpl.document_items.empty());
  EXPECT_TRUE(tpl.trailer_lines.empty());
  EXPECT_FALSE(tpl.job_separator);
  EXPECT_FALSE(tpl.document_separator);
  EXPECT_EQ(tpl.open_marker, "{");
  EXPECT_EQ(tpl.close_marker, "}");
  EXPECT_EQ(tpl.default_time_format, "%h %d, %H:%M:%S");
  EXPECT_EQ(tpl.default_identifier_pattern, "$:#");
  EXPECT_EQ(tpl.missing_fill, std::string(26, '?'));
  // The process-wide template holds the built-in display with no parse.
  EXPECT_EQ(display_template().job_items.size(), 12u);
}

}  // namespace
