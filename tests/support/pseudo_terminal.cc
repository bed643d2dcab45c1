#include "support/pseudo_terminal.h"

#include <fcntl.h>
#include <stdlib.h>
#include <termios.h>
#include <unistd.h>

PseudoTerminal::PseudoTerminal() {
  master_ = posix_openpt(O_RDWR | O_NOCTTY);
  if (master_ < 0 || grantpt(master_) != 0 || unlockpt(master_) != 0) return;
  const int slave = open(ptsname(master_), O_RDWR | O_NOCTTY);
  termios mode;
  tcgetattr(slave, &mode);
  cfmakeraw(&mode);
  tcsetattr(slave, TCSANOW, &mode);
  stream_ = fdopen(slave, "w");
  // Reads until the last descriptor of the other side is closed.
  reader_ = std::thread([this] {
    char block[4096];
    for (ssize_t n; (n = read(master_, block, sizeof block)) > 0;) read_.append(block, n);
  });
}

PseudoTerminal::~PseudoTerminal() {
  if (stream_ != nullptr) close_and_read();
  if (master_ >= 0) close(master_);
}

std::string PseudoTerminal::close_and_read() {
  std::fclose(stream_);
  stream_ = nullptr;
  if (reader_.joinable()) reader_.join();
  return read_;
}
