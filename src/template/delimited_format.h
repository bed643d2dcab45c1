#pragma once

// The delimited format at the start of `text` (after blanks), or nullptr: the
// text between its first printable character, the delimiter, and the last
// occurrence of that character. Writes a terminator over the closing
// delimiter; reports a delimiter that is never closed.
const char* extract_delimited(char* text);
