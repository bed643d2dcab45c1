#include "render/json_plain.h"

#include <gtest/gtest.h>

#include <string>

namespace {

bool plain_byte(unsigned char c) { return c >= 0x20 && c < 0x80 && c != '"' && c != '\\'; }

// Every byte value at every place of texts of 0 to 40 bytes (the word loop,
// its overlapping last word, the four-byte halves and the byte loop), alone
// and after a byte below 0x20 (whose borrow runs into it): the word-at-a-time
// answer is the plain one.
TEST(JsonPlain, AgreesWithEachByteLookedAt) {
  for (size_t size = 0; size <= 40; ++size) {
    EXPECT_TRUE(is_json_plain(std::string(size, 'a')));
    EXPECT_TRUE(is_json_plain(std::string(size, '\x7f')));
    for (size_t at = 0; at < size; ++at) {
      for (int c = 0; c < 256; ++c) {
        std::string text(size, '~');
        text[at] = static_cast<char>(c);
        ASSERT_EQ(is_json_plain(text), plain_byte(static_cast<unsigned char>(c)))
            << size << " " << at << " " << c;
        if (at + 1 < size) {
          text[at] = '\x1f';
          text[at + 1] = static_cast<char>(c);
          ASSERT_FALSE(is_json_plain(text));
        }
      }
    }
  }
  // Only what lies in the text counts, not the bytes after it.
  const std::string text = "abcdefghij\"";
  EXPECT_TRUE(is_json_plain(std::string_view(text).substr(0, 10)));
  EXPECT_TRUE(is_json_plain(std::string_view(text).substr(5, 5)));
  EXPECT_TRUE(is_json_plain(std::string_view(text).substr(8, 2)));
}

// The padded checks read 32 bytes whatever the size: at every size from 0 to
// 40 (the masked words or vectors, and the longer texts handed on), every
// byte value at every place inside agrees with the plain answer, and no byte
// after the text counts, however it borrows or marks (a control, a quote,
// 0xff). Both the word-at-a-time check, which every machine can use, and the
// one this machine uses.
TEST(JsonPlain, PaddedLooksOnlyAtTheText) {
  for (size_t size = 0; size <= 40; ++size) {
    for (const char after : {'a', '\x01', '\x00', '"', '\xff', '\\'}) {
      std::string padded(size + 32, after);
      padded.replace(0, size, size, '~');
      ASSERT_TRUE(size > 32 || is_json_plain_padded_words(padded.data(), size)) << size;
      ASSERT_TRUE(is_json_plain_padded(padded.data(), size)) << size << " " << int{after};
      for (size_t at = 0; at < size; ++at) {
        for (int c = 0; c < 256; ++c) {
          padded[at] = static_cast<char>(c);
          const bool plain = plain_byte(static_cast<unsigned char>(c));
          if (size <= 32) {
            ASSERT_EQ(is_json_plain_padded_words(padded.data(), size), plain)
                << size << " " << at << " " << c << " " << int{after};
          }
          ASSERT_EQ(is_json_plain_padded(padded.data(), size), plain)
              << size << " " << at << " " << c << " " << int{after};
        }
        padded[at] = '~';
      }
    }
  }
}

}  // namespace
