#pragma once

#include <cstdint>
#include <cstdio>

// The reading state of one file. While a context with a name is current,
// every diagnostic and every piece of output is prefixed with that name and
// the line number. A context whose fields are all zero is the empty context.
struct ReaderContext {
  std::FILE* stream = nullptr;  // not owned: whoever opened the file closes it
  const char* name = nullptr;   // absent: diagnostics carry no location
  int32_t line_size = 0;        // bytes of the caller's line buffer, terminator included
  int32_t line_number = 0;      // physical read attempts on the stream so far
  char comment_char = '\0';     // starts a comment; NUL for none
  int64_t bytes_read = 0;       // bytes read from the stream so far
};
