#include "support/captured_errors.h"

#include <cstdlib>

#include "diag/diagnostics.h"

CapturedErrors::CapturedErrors() : stream_(std::tmpfile()), saved_stream_(diagnostics().err) {
  if (stream_ == nullptr) std::abort();
  diagnostics().err = stream_;
  diagnostics().error_count = 0;
  set_context(&empty_);
}

CapturedErrors::~CapturedErrors() {
  diagnostics().err = saved_stream_;
  diagnostics().error_count = 0;
  diagnostics().context = nullptr;
  std::fclose(stream_);
}

std::string CapturedErrors::text() const {
  std::fflush(stream_);
  std::rewind(stream_);
  std::string content;
  char buffer[4096];
  size_t got;
  while ((got = std::fread(buffer, 1, sizeof buffer, stream_)) > 0) content.append(buffer, got);
  std::fseek(stream_, 0, SEEK_END);  // later messages go after these
  return content;
}
