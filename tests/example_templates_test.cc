#include <gtest/gtest.h>

#include <string>

#include "support/captured_errors.h"
#include "support/display_items.h"
#include "support/temp_dir.h"
#include "template/template_parser.h"

namespace {

const std::string kExamples = std::string(JOBVIEW_SOURCE_DIR) + "/examples/";

// Parses an example over the built-in display; it must need no message.
DisplayTemplate parse_example(const char* name) {
  CapturedErrors errors;
  DisplayTemplate tpl = builtin_display();
  EXPECT_TRUE(parse_template((kExamples + name).c_str(), tpl)) << name;
  EXPECT_EQ(errors.text(), "") << name;
  return tpl;
}

TEST(ExampleTemplates, JoblogReproducesTheBuiltinDisplay) {
  DisplayTemplate tpl;  // nothing built in: every list must come from the file
  tpl.job_items.clear();
  tpl.header_lines.clear();
  {
    CapturedErrors errors;
    EXPECT_TRUE(parse_template((kExamples + "joblog.tpl").c_str(), tpl));
    EXPECT_EQ(errors.text(), "");
  }
  const DisplayTemplate builtin = builtin_display();
  EXPECT_EQ(tpl.header_lines, builtin.header_lines);
  EXPECT_EQ(tpl.job_items, builtin.job_items);
  EXPECT_EQ(tpl.document_items, builtin.document_items);
  EXPECT_EQ(tpl.trailer_lines, builtin.trailer_lines);
}

TEST(ExampleTemplates, CompactIsOneLinePerJob) {
  const DisplayTemplate tpl = parse_example("compact.tpl");
  ASSERT_EQ(tpl.job_items.size(), 5u);
  EXPECT_EQ(tpl.job_items.back().trailing_text, "\n");
  EXPECT_TRUE(tpl.document_items.empty());
  EXPECT_EQ(tpl.header_lines.size(), 1u);
}

TEST(ExampleTemplates, CsvSeparatesFieldsWithCommas) {
  const DisplayTemplate tpl = parse_example("csv.tpl");
  ASSERT_EQ(tpl.job_items.size(), 9u);
  EXPECT_EQ(tpl.header_lines,
            (DisplayList{make_text_line(
                "job,owner,type,sheets,documents,submitted,completed,state,name\n")}));
  EXPECT_EQ(tpl.job_items[1].leading_text, ",");
  EXPECT_EQ(tpl.job_items[8].leading_text, ",\"");
  EXPECT_EQ(tpl.job_items[8].trailing_text, "\"\n");
}

TEST(ExampleTemplates, DocumentsListsDocumentsUnderTheirJob) {
  const DisplayTemplate tpl = parse_example("documents.tpl");
  EXPECT_EQ(tpl.job_items.size(), 4u);
  ASSERT_EQ(tpl.document_items.size(), 5u);
  EXPECT_EQ(tpl.document_items[0].leading_text, "  ");
  EXPECT_EQ(tpl.header_lines.size(), 2u);
}

TEST(ExampleTemplates, EndToEndCasesRunTheExamplesAsShipped) {
  for (const char* name : {"compact", "csv", "documents", "joblog"}) {
    const std::string example = read_file(kExamples + name + ".tpl");
    const std::string copy =
        read_file(std::string(JOBVIEW_SOURCE_DIR) + "/tests/e2e/cases/example_" + name +
                  "_template/" + name + ".tpl");
    EXPECT_FALSE(example.empty()) << name;
    EXPECT_EQ(copy, example) << name;
  }
}

}  // namespace
