#include "render/field_format.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <regex>
#include <string>
#include <vector>

namespace {

// What the C library makes of "%" + width + "s".
std::string c_library(const std::string& width, const char* value) {
  const std::string conversion = "%" + width + "s";
  const int length = std::snprintf(nullptr, 0, conversion.c_str(), value);
  if (length < 0) return {};
  std::string text(static_cast<size_t>(length) + 1, '\0');
  std::snprintf(text.data(), text.size(), conversion.c_str(), value);
  text.pop_back();
  return text;
}

std::string ours(const std::string& width, const char* value) {
  char* text = nullptr;
  size_t size = 0;
  std::FILE* stream = open_memstream(&text, &size);
  OutputChannel out;
  out.set_stream(stream);
  FieldFormat(width).write(value, out);
  out.flush();
  std::fclose(stream);
  std::string result(text, size);
  std::free(text);
  return result;
}

// Every width text of up to four of its characters: the well-formed ones print
// as the C library prints them, the others print the value as it is.
TEST(FieldFormat, EveryShortWidthText) {
  const std::regex well_formed("[-0]*[0-9]*(\\.[0-9]*)?");
  const std::string alphabet = "-.0123456789";
  std::vector<std::string> widths{""};
  for (size_t i = 0; i < widths.size() && widths[i].size() < 4; ++i) {
    for (char c : alphabet) widths.push_back(widths[i] + c);
  }
  for (const char* value : {"", "abc", "a longer value of some thirty chars"}) {
    for (const std::string& width : widths) {
      const std::string expected =
          std::regex_match(width, well_formed) ? c_library(width, value) : value;
      ASSERT_EQ(ours(width, value), expected) << "width '" << width << "'";
    }
  }
}

TEST(FieldFormat, NumbersAtTheCLibraryLimits) {
  EXPECT_EQ(ours("1234567", "x"), c_library("1234567", "x"));
  EXPECT_EQ(ours(".9999999", "xyz"), "xyz");
  EXPECT_EQ(ours(".2147483647", "xyz"), "xyz");
  // Past INT_MAX the C library refuses the conversion: nothing at all.
  EXPECT_EQ(ours("2147483648", "x"), "");
  EXPECT_EQ(ours(".2147483648", "x"), "");
  EXPECT_EQ(ours("99999999999999999999999", "x"), "");
}

TEST(FieldFormat, WidthTextLongerThanTheConversionBufferIsIgnored) {
  // 253 characters still fit "%" + width + "s" in 256 bytes; one more does not.
  const std::string fits = "-" + std::string(251, '0') + "9";
  EXPECT_EQ(ours(fits, "v"), c_library(fits, "v"));
  EXPECT_EQ(ours(fits + "9", "v"), "v");
  EXPECT_EQ(ours(std::string(254, '-'), "value"), "value");
}

}  // namespace
