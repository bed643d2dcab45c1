#include "render/field_format.h"

#include <gtest/gtest.h>

#include <cstdio>
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
  const FieldFormat format(width);
  char* text = nullptr;
  size_t size = 0;
  std::FILE* stream = open_memstream(&text, &size);
  OutputChannel out;
  out.set_stream(stream);
  if (format.fast()) {
    format.format_fast(value, out);
  } else {
    format.format_with_c_library(value, out);
  }
  out.flush();
  std::fclose(stream);
  std::string result(text, size);
  std::free(text);
  return result;
}

TEST(FieldFormat, EveryShortWidthTextPrintsAsTheCLibraryDoes) {
  const std::string alphabet = "-.0123456789";
  std::vector<std::string> widths{""};
  for (size_t length = 1; length <= 4; ++length) {
    std::vector<std::string> longer;
    for (const std::string& w : widths) {
      if (w.size() != length - 1) continue;
      for (char c : alphabet) longer.push_back(w + c);
    }
    widths.insert(widths.end(), longer.begin(), longer.end());
  }
  for (const char* value : {"", "abc", "a longer value of some thirty chars"}) {
    for (const std::string& width : widths) {
      ASSERT_TRUE(ours(width, value) == c_library(width, value)) << "width '" << width << "'";
    }
  }
}

TEST(FieldFormat, LargeNumbersGoToTheCLibrary) {
  EXPECT_EQ(ours("1234567", "x"), c_library("1234567", "x"));
  EXPECT_EQ(ours(".9999999", "xyz"), "xyz");
  // Past what the C library can print: nothing at all, and no failure.
  EXPECT_EQ(ours("99999999999", "x"), "");
}

TEST(FieldFormat, WidthTextLongerThanTheConversionBufferIsIgnored) {
  // 253 characters still fit "%" + width + "s" in 256 bytes; one more does not.
  const std::string fits = "-" + std::string(251, '0') + "9";
  EXPECT_EQ(ours(fits, "v"), c_library(fits, "v"));
  EXPECT_EQ(ours(fits + "9", "v"), "v");
  EXPECT_EQ(ours(std::string(254, '-'), "value"), "value");
}

}  // namespace
