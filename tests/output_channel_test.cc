// On a terminal, the controls of log text are written as '?', byte for byte:
// C0 but tab and newline, DEL, and C1 (some terminals obey its bytes as
// escape sequences). Checked on a real pseudo-terminal.

#include "diag/output_channel.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "support/pseudo_terminal.h"

namespace {

using Pieces = std::vector<std::string>;

// What reaches a pseudo-terminal (or, with `terminal` false, a file) of log
// text handed over in `pieces`, then of `template_text`.
std::string written(const Pieces& pieces, bool terminal, const std::string& template_text = "") {
  PseudoTerminal pty;
  std::FILE* const file = terminal ? nullptr : std::tmpfile();
  {
    OutputChannel out;
    out.set_stream(terminal ? pty.stream() : file);
    // A part of the display made on the second thread is judged alike.
    std::string gathered;
    OutputChannel part;
    part.gather_into(&gathered, out);
    for (const std::string& piece : pieces) part.append_log_text(piece);
    part.flush();
    out.append(gathered);
    out.append(template_text);
    out.flush();
  }
  if (terminal) return pty.close_and_read();
  std::string made(static_cast<size_t>(std::ftell(file)), '\0');
  std::rewind(file);
  made.resize(std::fread(made.data(), 1, made.size(), file));
  std::fclose(file);
  return made;
}

TEST(OutputChannel, ControlsOfLogTextOnATerminal) {
  const struct {
    Pieces pieces;
    std::string shown;
  } kRows[] = {
      {{"tab\tnewline\n kept ~"}, "tab\tnewline\n kept ~"},
      {{std::string("\x01\x1b[31m\x1f\x7f nul:\0.", 15)}, "??[31m?? nul:?."},
      // U+0080 and U+009F, both bytes; U+00A0 and U+00C0 (whose last byte
      // is 0x80) are characters.
      {{"\xc2\x80|\xc2\x9f|\xc2\xa0|\xc3\x80|\xc2\x7f"}, "??|??|\xc2\xa0|\xc3\x80|\xc2?"},
      // Bytes 0x80-0x9F of no character: alone, after a cut character, in
      // overlong forms, surrogates and code points past U+10FFFF. Other
      // bytes of ill-formed text stay.
      {{"\x9b"
        "1m\x80\x9f\xa0\xbf"},
       "?1m??\xa0\xbf"},
      {{"\xe2\x80\x9c|\xe2\x80|\xe2\x80\x9c\x9c"}, "\xe2\x80\x9c|\xe2?|\xe2\x80\x9c?"},
      {{"\xf0\x9f\x98\x80|\xf0\x9f\x98|\xf4\x8f\xbf\xbf|\xf4\x90\x80\x80"},
       "\xf0\x9f\x98\x80|\xf0??|\xf4\x8f\xbf\xbf|\xf4???"},
      {{"\xed\x9f\xbf|\xed\xa0\x80|\xe0\x80\x80|\xc0\x80|\xc1\x9f|\xf5\x80|\xff\x85"},
       "\xed\x9f\xbf|\xed\xa0?|\xe0??|\xc0?|\xc1?|\xf5?|\xff?"},
      {{"\xc2"}, "\xc2"},
      // Each piece is judged alone.
      {{"\xc2", "\x85", "\xe2\x80", "\x9c", "\xf0\x9f", "\x98\x80"}, "\xc2?\xe2??\xf0???"},
      {{"", "a", ""}, "a"},
  };
  for (const auto& row : kRows) {
    SCOPED_TRACE(testing::PrintToString(row.pieces));
    EXPECT_EQ(written(row.pieces, true), row.shown);
    std::string exact;
    for (const std::string& piece : row.pieces) exact += piece;
    EXPECT_EQ(written(row.pieces, false), exact);  // into a file, every byte as it is
  }
  // Template texts are written as they are, also on a terminal.
  EXPECT_EQ(written({"\x9b"}, true, "\x1b[1m\xc2\x85"), "?\x1b[1m\xc2\x85");
}

}  // namespace
