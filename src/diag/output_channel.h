#pragma once

#include <cstdarg>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <string_view>

// Standard output of the run. Every byte the program writes there leaves
// through this one channel, in order: the usage text, the stamp, the display.
// Text is gathered in one block and handed to stdio when the block is full or
// flushed, since a record is many small pieces and each stdio call costs more
// than the copy. Standard output can fail at any time (a full disk, a closed
// pipe with SIGPIPE ignored); the channel remembers the first failure, so that
// a display that never reached its reader is not reported as success.
class OutputChannel {
 public:
  OutputChannel() : bytes_(new char[kCapacity + kSlack]) {}
  OutputChannel(const OutputChannel&) = delete;
  OutputChannel& operator=(const OutputChannel&) = delete;

  // A display is mostly pieces of a few bytes: they are copied inline, by
  // a few word moves instead of a call.
  void append(std::string_view text) {
    const size_t n = text.size();
    if (n > kCapacity - size_) return append_beyond_block(text);
    char* const to = bytes_.get() + size_;
    const char* const from = text.data();  // null for an absent text, then n is 0
    if (n >= 16) {
      std::memcpy(to, from, n);
    } else if (n >= 8) {
      std::memcpy(to, from, 8);
      std::memcpy(to + n - 8, from + n - 8, 8);
    } else if (n >= 4) {
      std::memcpy(to, from, 4);
      std::memcpy(to + n - 4, from + n - 4, 4);
    } else if (n > 0) {
      to[0] = from[0];
      to[n / 2] = from[n / 2];
      to[n - 1] = from[n - 1];
    }
    size_ += n;
  }
  // Text that comes from a job log (values, raw records). On a terminal every
  // control character but tab and newline is written as '?', byte for byte:
  // whoever submits a job chooses its name, and no escape sequence of theirs
  // may reach the terminal of whoever reads the log. The controls are C0,
  // DEL and C1, which some terminals obey: both bytes of the characters
  // U+0080-U+009F, and each byte 0x80-0x9F that is part of no well-formed
  // UTF-8 character. Each piece is judged alone, so callers split log text
  // only between characters. Elsewhere the bytes go out exactly.
  void append_log_text(std::string_view text) {
    if (terminal_ == Terminal::kNo) return append(text);
    append_log_text_checked(text);
  }
  void append_fill(char c, size_t count) {
    // Field padding is short: a fixed run is written into the block's slack.
    if (count <= kSlack && count <= kCapacity - size_) {
      std::memset(bytes_.get() + size_, c, kSlack);
      size_ += count;
      return;
    }
    append_long_fill(c, count);
  }
  // For a piece laid out in place: room for `size` bytes (at most the
  // block's capacity) at the end of the block, which is handed on first when
  // full, and kSlack more that may be written over and are dropped. commit()
  // then keeps the first bytes written there.
  char* reserve(size_t size) {
    if (size > kCapacity - size_) write_block();
    return bytes_.get() + size_;
  }
  void commit(size_t size) { size_ += size; }
  // Whether text from a log goes out as it is: the stream is known to be no
  // terminal.
  bool log_text_as_is() const { return terminal_ == Terminal::kNo; }
  // Writable bytes past the block, for short fills and pieces laid out in place.
  static constexpr size_t kSlack = 32;

  // Formatted text, printf-style, after what is gathered; its character count.
  int vprint(const char* format, std::va_list args);

  // Hands what is gathered to the stream and flushes it. False once any write
  // has failed, now or before.
  bool flush();
  // True once a write to the stream has failed.
  bool failed();
  // The errno of the first failure seen (EIO when the stream did not say).
  int error_number() const;

  // Where the bytes go; null (the default) is stdout. For tests and fuzz targets.
  void set_stream(std::FILE* stream) {
    stream_ = stream;
    terminal_ = Terminal::kUnknown;
  }
  // Gathers the bytes in memory instead, for a part of the display made on
  // another thread; text from a log is treated as `like` treats it, since the
  // part is written out through `like`. At most `limit` bytes are kept: once
  // more come, the rest is dropped and gather_overflowed() holds until
  // rewind_gathered.
  void gather_into(std::string* gathered, OutputChannel& like, size_t limit = SIZE_MAX);
  // The bytes gathered, the block included.
  size_t gathered_size() const { return gathered_->size() + size_; }
  // True once more than the limit came.
  bool gather_overflowed() const { return overflowed_ || gathered_size() > gather_limit_; }
  // Drops what was gathered after the first `size` bytes, a size gathered_size()
  // gave while the limit was not passed, and starts counting again.
  void rewind_gathered(size_t size);

 private:
  static constexpr size_t kCapacity = size_t{64} << 10;
  std::FILE* stream() const { return stream_ != nullptr ? stream_ : stdout; }
  void write_block();
  void append_beyond_block(std::string_view text);
  void append_long_fill(char c, size_t count);
  void note_failure();
  void append_log_text_checked(std::string_view text);
  void write_out(const char* bytes, size_t size);

  std::FILE* stream_ = nullptr;
  std::string* gathered_ = nullptr;
  size_t gather_limit_ = SIZE_MAX;
  bool overflowed_ = false;
  std::unique_ptr<char[]> bytes_;
  size_t size_ = 0;
  int first_error_ = 0;
  enum class Terminal : char { kUnknown, kNo, kYes } terminal_ = Terminal::kUnknown;
};

// The process-wide output channel.
OutputChannel& output_channel();
