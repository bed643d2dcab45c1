#pragma once

#include <cstdint>

#include "diag/reader_context.h"

inline constexpr int kTemplateLineSize = 2000;
// Reading a template file ends once more than this has been read from it, so
// that no file (/dev/zero, a pipe that never ends) keeps the run reading.
inline constexpr int64_t kTemplateReadLimit = int64_t{16} << 20;

// Reads at most line_size - 1 characters, stopping after a newline, and counts
// the attempt in context.line_number and the bytes in context.bytes_read.
// nullptr when nothing could be read, also once more than kTemplateReadLimit
// bytes have been read.
char* read_physical_line(char* buffer, ReaderContext& context);

// Reads the next logical line (comments cut, blank lines skipped, continuations
// joined, escapes translated) into buffer, which holds context.line_size bytes.
// Returns false when the file ended (or could not be read) before the line was
// complete: that line is not to be used.
bool read_logical_line(char* buffer, ReaderContext& context);
