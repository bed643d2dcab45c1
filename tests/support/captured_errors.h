#pragma once

#include <cstdio>
#include <string>

#include "diag/reader_context.h"

// Sends the error channel to memory for one test, with the error count at zero
// and no current reader context; restores the channel afterwards.
class CapturedErrors {
 public:
  CapturedErrors();
  ~CapturedErrors();
  CapturedErrors(const CapturedErrors&) = delete;
  CapturedErrors& operator=(const CapturedErrors&) = delete;

  // Everything written to the error channel so far.
  std::string text() const;

 private:
  char* buffer_ = nullptr;
  size_t size_ = 0;
  std::FILE* stream_;
  std::FILE* saved_stream_;
  ReaderContext empty_;
};
