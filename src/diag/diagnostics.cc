#include "diag/diagnostics.h"

#include <cstdarg>
#include <cstdlib>

Diagnostics& diagnostics() {
  static Diagnostics state;
  return state;
}

ReaderContext* set_context(ReaderContext* context) {
  Diagnostics& d = diagnostics();
  if (context != nullptr) d.context = context;
  return d.context;
}

namespace {

std::FILE* stream_or(std::FILE* stream, std::FILE* fallback) { return stream ? stream : fallback; }

int write_located(std::FILE* stream, const char* format, va_list args) {
  const ReaderContext* context = set_context();
  if (context != nullptr && context->name != nullptr) {
    std::fprintf(stream, "%s:%4d: ", context->name, static_cast<int>(context->line_number));
  }
  return std::vfprintf(stream, format, args);
}

}  // namespace

int error(const char* format, ...) {
  Diagnostics& d = diagnostics();
  std::FILE* stream = stream_or(d.err, stderr);
  va_list args;
  va_start(args, format);
  const int written = write_located(stream, format, args);
  va_end(args);
  if (++d.error_count > kErrorLimit) {
    std::fputs("... exceeded error count, exiting...\n", stream);
    std::exit(1);
  }
  return written;
}

int print(const char* format, ...) {
  Diagnostics& d = diagnostics();
  va_list args;
  va_start(args, format);
  const int written = write_located(stream_or(d.out, stdout), format, args);
  va_end(args);
  return written;
}
