#include "diag/diagnostics.h"

#include <unistd.h>

#include <cstdarg>

#include "diag/output_channel.h"

Diagnostics& diagnostics() {
  static Diagnostics state;
  return state;
}

ReaderContext* set_context(ReaderContext* context) {
  Diagnostics& d = diagnostics();
  if (context != nullptr) d.context = context;
  return d.context;
}

bool error_limit_reached() { return diagnostics().error_count > kErrorLimit; }

namespace {

const char* location_name() {
  const ReaderContext* context = set_context();
  return context != nullptr ? context->name : nullptr;
}

}  // namespace

int error(const char* format, ...) {
  if (error_limit_reached()) return 0;
  Diagnostics& d = diagnostics();
  std::FILE* stream = d.err != nullptr ? d.err : stderr;
  if (const char* name = location_name()) {
    std::fprintf(stream, "%s:%4d: ", name, static_cast<int>(set_context()->line_number));
  }
  va_list args;
  va_start(args, format);
  const int written = std::vfprintf(stream, format, args);
  va_end(args);
  if (++d.error_count > kErrorLimit) std::fputs("... exceeded error count, exiting...\n", stream);
  return written;
}

void note(std::string_view text) {
  if (error_limit_reached()) return;
  const Diagnostics& d = diagnostics();
  std::fwrite(text.data(), 1, text.size(), d.err != nullptr ? d.err : stderr);
}

bool error_stream_is_terminal() {
  const Diagnostics& d = diagnostics();
  return isatty(fileno(d.err != nullptr ? d.err : stderr)) != 0;
}

int print(const char* format, ...) {
  if (error_limit_reached()) return 0;
  OutputChannel& out = output_channel();
  va_list args;
  if (const char* name = location_name()) {
    char line[16];
    std::snprintf(line, sizeof line, "%4d: ", static_cast<int>(set_context()->line_number));
    out.append(name);
    out.append(":");
    out.append(line);
  }
  va_start(args, format);
  const int written = out.vprint(format, args);
  va_end(args);
  return written;
}
