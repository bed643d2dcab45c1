#include "support/captured_errors.h"

#include <cstdlib>

#include "diag/diagnostics.h"

CapturedErrors::CapturedErrors()
    : stream_(open_memstream(&buffer_, &size_)), saved_stream_(diagnostics().err) {
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
  std::free(buffer_);
}

std::string CapturedErrors::text() const {
  std::fflush(stream_);
  return std::string(buffer_, size_);
}
