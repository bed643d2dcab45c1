#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdint>
#include <string>

#include "diag/diagnostics.h"
#include "support/captured_errors.h"
#include "support/scoped_env.h"
#include "support/temp_dir.h"
#include "template/template_parser.h"

namespace {

class TemplateBadInput : public testing::Test {
 protected:
  TemplateBadInput() : cwd_(dir_.path()) {}

  bool parse(const std::string& content) {
    dir_.write("t.tpl", content);
    return parse_template("t.tpl", tpl_);
  }

  // Parses in a child process, which may end through the error limit or a
  // fatal template fault; anything but an orderly end, or a sanitizer report
  // on its standard error, fails the test.
  void expect_orderly_end(const std::string& content) {
    dir_.write("t.tpl", content);
    const std::string err_path = dir_.path() + "/stderr";
    std::fflush(nullptr);  // nothing buffered is written twice
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
      const int fd = open(err_path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
      dup2(fd, 2);
      diagnostics().err = nullptr;
      diagnostics().error_count = 0;
      DisplayTemplate tpl = builtin_display();
      parse_template("t.tpl", tpl);
      std::exit(0);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    const std::string err = read_file(err_path);
    ASSERT_TRUE(WIFEXITED(status)) << err;
    EXPECT_LE(WEXITSTATUS(status), 1) << err;
    EXPECT_EQ(err.find("Sanitizer"), std::string::npos) << err;
    EXPECT_EQ(err.find("runtime error"), std::string::npos) << err;
  }

  TempDir dir_;
  ScopedCwd cwd_;
  CapturedErrors errors_;
  DisplayTemplate tpl_ = builtin_display();
};

// A small deterministic generator, so that a failing input can be rebuilt.
class Random {
 public:
  explicit Random(uint32_t seed) : state_(seed) {}
  uint32_t next(uint32_t bound) {
    state_ = state_ * 1664525u + 1013904223u;
    return (state_ >> 8) % bound;
  }

 private:
  uint32_t state_;
};

TEST_F(TemplateBadInput, HundredThousandLines) {
  std::string content = "%header\n";
  for (int i = 0; i < 100000; ++i) content += "header line\n";
  content += "%job\n";
  for (int i = 0; i < 100000; ++i) content += "a\n";
  content += "%layout\n";
  for (int i = 0; i < 100000; ++i) content += "{1}\n";
  EXPECT_TRUE(parse(content));
  EXPECT_EQ(errors_.text(), "");
  EXPECT_EQ(tpl_.header_lines.size(), 100000u);
  EXPECT_EQ(tpl_.job_items.size(), 100000u);
  EXPECT_EQ(tpl_.job_items.back().field_width, "1");
}

TEST_F(TemplateBadInput, LinesOf1998Characters) {
  const std::string long_name(1998, 'n');
  const std::string long_size = std::string(1996, '9');
  EXPECT_TRUE(parse("%header\n" + std::string(1998, 'h') + "\n%job\n" + long_name + "\n*" +
                    std::string(1997, 't') + "\n%layout\n{" + long_size + "}\n{}\n"));
  EXPECT_EQ(errors_.text(), "");
  EXPECT_EQ(tpl_.header_lines[0].trailing_text, std::string(1998, 'h') + "\n");
  EXPECT_EQ(tpl_.job_items[0].attribute_name, long_name);
  EXPECT_EQ(tpl_.job_items[0].field_width, long_size);
  EXPECT_EQ(tpl_.job_items[1].attribute_name, std::string(1997, 't'));
}

TEST_F(TemplateBadInput, FieldSizeOfHundredsOfLetters) {
  const std::string size = std::string(300, 'x');
  EXPECT_TRUE(parse("%job\na\n%layout\n{" + size + "}\n{5}\n"));
  EXPECT_EQ(errors_.text(),
            "t.tpl:   4: Expected only field size, found '" + size + "' instead.\n");
}

TEST_F(TemplateBadInput, MarkersLongerThanTheLine) {
  EXPECT_FALSE(parse("%job\na\n%layout " + std::string(1500, '<') + " " + std::string(400, '>') +
                     "\n<\nx<<<\n"));
  const std::string missing =
      ": Missing field size termination marker '" + std::string(400, '>') + "'.\n";
  EXPECT_EQ(errors_.text(), "t.tpl:   4" + missing + "t.tpl:   5" + missing +
                                "t.tpl:   6: No field size for attribute 'a'.\n");
}

TEST_F(TemplateBadInput, ContinuationChainOverflowingTheRoom) {
  std::string content = "%header\n";
  for (int i = 0; i < 100; ++i) content += std::string(50, 'x') + "\\\n";
  EXPECT_TRUE(parse(content + "end\n"));
  EXPECT_EQ(errors_.text(), "t.tpl:  40: Line too long!\nt.tpl:  79: Line too long!\n");
  ASSERT_EQ(tpl_.header_lines.size(), 3u);
  EXPECT_EQ(tpl_.header_lines[2].trailing_text, std::string(22 * 50, 'x') + "end\n");
}

TEST_F(TemplateBadInput, BinaryFile) {
  for (uint32_t seed = 1; seed <= 8; ++seed) {
    Random random(seed);
    std::string content = seed % 2 ? "%job\n" : "";
    for (int i = 0; i < 65536; ++i) content += static_cast<char>(random.next(256));
    expect_orderly_end(content);
  }
}

TEST_F(TemplateBadInput, RandomLinesOfTemplateWords) {
  static const std::string kPieces[] = {
      "%job",
      "%document",
      "%header",
      "%trailer",
      "%time",
      "%layout",
      "%separator",
      "%",
      "{",
      "}",
      "[",
      "]",
      "<<",
      ">>",
      "\\",
      "!",
      "\"",
      "'",
      "*",
      "+",
      "$",
      "7",
      "-.5",
      "12",
      "x",
      "user-name",
      " ",
      "\t",
      "\\t",
      "\r",
      std::string(300, 'w'),
      "\n",
      "\n",
      "\n",
  };
  constexpr uint32_t kCount = sizeof kPieces / sizeof kPieces[0];
  for (uint32_t seed = 1; seed <= 40; ++seed) {
    Random random(seed);
    std::string content = "%job\n";
    for (int i = 0; i < 3000; ++i) content += kPieces[random.next(kCount)];
    expect_orderly_end(content);
  }
}

}  // namespace
