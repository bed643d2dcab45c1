#pragma once

#include <cstdio>
#include <cstring>
#include <memory>
#include <string_view>

// The display's output, gathered in one block and handed to stdio when full:
// a record is many small pieces of text, and each stdio call costs more than
// the copy.
class OutputBuffer {
 public:
  explicit OutputBuffer(std::FILE* stream) : stream_(stream), bytes_(new char[kCapacity]) {}
  ~OutputBuffer() { flush(); }
  OutputBuffer(const OutputBuffer&) = delete;
  OutputBuffer& operator=(const OutputBuffer&) = delete;

  void append(std::string_view text) {
    if (text.empty()) return;  // an absent text has no bytes at all, not even an address
    if (text.size() > kCapacity - size_) {
      flush();
      if (text.size() > kCapacity) {
        std::fwrite(text.data(), 1, text.size(), stream_);
        return;
      }
    }
    std::memcpy(bytes_.get() + size_, text.data(), text.size());
    size_ += text.size();
  }

  void append_fill(char c, size_t count) {
    while (count > 0) {
      if (size_ == kCapacity) flush();
      const size_t n = count < kCapacity - size_ ? count : kCapacity - size_;
      std::memset(bytes_.get() + size_, c, n);
      size_ += n;
      count -= n;
    }
  }

  void flush() {
    if (size_ > 0) std::fwrite(bytes_.get(), 1, size_, stream_);
    size_ = 0;
  }

 private:
  static constexpr size_t kCapacity = size_t{64} << 10;
  std::FILE* stream_;
  std::unique_ptr<char[]> bytes_;
  size_t size_ = 0;
};
