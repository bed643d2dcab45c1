#include "driver/output_check.h"

#include <cerrno>
#include <cstdio>

#include "diag/diagnostics.h"

namespace {

int first_error = 0;

std::FILE* output_stream() {
  std::FILE* out = diagnostics().out;
  return out != nullptr ? out : stdout;
}

bool note_failure() {
  if (first_error == 0) first_error = errno != 0 ? errno : EIO;
  return true;
}

}  // namespace

bool output_failed() { return std::ferror(output_stream()) != 0 && note_failure(); }

bool flush_output() {
  if (std::fflush(output_stream()) != 0) note_failure();
  return !output_failed();
}

int output_error() { return first_error != 0 ? first_error : EIO; }
