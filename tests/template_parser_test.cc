#include "template/template_parser.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "support/captured_errors.h"
#include "support/case_table.h"
#include "support/scoped_env.h"
#include "support/temp_dir.h"
#include "template/delimited_format.h"

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
    if (i.escaping != Escaping::kNone) out += i.escaping == Escaping::kCsv ? " csv" : " json";
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
    if (show(now) != show(before)) out += label + show(now) + " ";
  };
  list("H", tpl.header_lines, builtin.header_lines);
  list("J", tpl.job_items, builtin.job_items);
  list("D", tpl.document_items, builtin.document_items);
  list("T", tpl.trailer_lines, builtin.trailer_lines);
  if (tpl.default_time_format != kDefaultTimeFormat) out += "time=" + tpl.default_time_format + " ";
  if (tpl.escaping != Escaping::kNone)
    out += tpl.escaping == Escaping::kCsv ? "escape=csv " : "escape=json ";
  if (tpl.job_separator) out += "jsep=" + *tpl.job_separator + " ";
  if (tpl.document_separator) out += "dsep=" + *tpl.document_separator + " ";
  if (tpl.open_marker != "{" || tpl.close_marker != "}")
    out += "markers=" + tpl.open_marker + tpl.close_marker + " ";
  if (!out.empty()) out.pop_back();  // the space after the last part
  return out;
}

struct Case {
  std::string content, messages, shown;
  bool ok = true, fatal = false;
};

std::vector<Case> load_cases() {
  std::vector<Case> cases;
  for (const auto& row : read_case_table("template_cases.txt")) {
    const std::string& key = row[0];
    const std::string value = row.size() > 1 ? row[1] : "";
    if (key == "in") cases.emplace_back().content = value;
    if (cases.empty()) continue;
    if (key == "fail") cases.back().ok = false;
    if (key == "err" || key == "exit") cases.back().messages = value;
    if (key == "exit") cases.back().fatal = true;
    if (key == "out") cases.back().shown = value;
  }
  return cases;
}

// Each text is written to "t.tpl" in a scratch directory, found there through
// SESSPATH, and parsed over the built-in display with the error channel captured.
TEST(TemplateParser, TemplateTextsOfEveryShape) {
  TempDir dir;
  ScopedEnv sesspath("SESSPATH", dir.path().c_str());
  for (const Case& c : load_cases()) {
    SCOPED_TRACE(testing::PrintToString(c.content.substr(0, 200)));
    CapturedErrors errors;
    DisplayTemplate tpl = builtin_display();
    dir.write("t.tpl", c.content);
    // A fatal shape ends the parse where it stands, with exactly these messages.
    EXPECT_EQ(parse_template("t.tpl", tpl), c.ok && !c.fatal);
    EXPECT_EQ(errors.text(), c.messages);
    if (!c.fatal) {
      EXPECT_EQ(show(tpl), c.shown);
    }
  }
}

TEST(DelimitedFormat, QuotedUnterminatedAndControlDelimiters) {
  for (const auto& row : rows_of("template_cases.txt", "delimited", 3)) {
    CapturedErrors errors;
    std::string text = row[0];
    const char* format = extract_delimited(text.data());
    EXPECT_EQ(format ? "<" + std::string(format) + ">" : "none", row[1]) << row[0];
    EXPECT_EQ(errors.text(), row[2]) << testing::PrintToString(row[0]);
  }
}

// Reading this file fails at its first line with an I/O error: a template read
// in part must not pass for a whole one.
TEST(TemplateParser, ReadErrorAtTheFirstLine) {
  if (access("/proc/self/mem", R_OK) != 0) GTEST_SKIP() << "no /proc/self/mem";
  CapturedErrors errors;
  DisplayTemplate tpl = builtin_display();
  EXPECT_FALSE(parse_template("/proc/self/mem", tpl));
  EXPECT_EQ(errors.text(), "Unable to access file '/proc/self/mem'.\n");
  EXPECT_EQ(show(tpl), "");
}

}  // namespace
