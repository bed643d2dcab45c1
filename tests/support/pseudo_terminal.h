#pragma once

#include <cstdio>
#include <string>
#include <thread>

// A pseudo-terminal in raw mode (no newline translation): what is written to
// stream() is read on the other side as it comes, so writers never block.
class PseudoTerminal {
 public:
  PseudoTerminal();
  ~PseudoTerminal();
  PseudoTerminal(const PseudoTerminal&) = delete;
  PseudoTerminal& operator=(const PseudoTerminal&) = delete;

  std::FILE* stream() const { return stream_; }
  // Closes stream() and returns everything written to it.
  std::string close_and_read();

 private:
  int master_ = -1;
  std::FILE* stream_ = nullptr;
  std::string read_;
  std::thread reader_;
};
