#include "diag/output_channel.h"

#include <unistd.h>

#include <algorithm>
#include <cerrno>

#include "diag/utf8.h"

OutputChannel& output_channel() {
  static OutputChannel channel;
  return channel;
}

void OutputChannel::append_long_fill(char c, size_t count) {
  while (count > 0 && !overflowed_) {
    if (size_ == kCapacity) write_block();
    const size_t n = count < kCapacity - size_ ? count : kCapacity - size_;
    std::memset(bytes_.get() + size_, c, n);
    size_ += n;
    count -= n;
  }
}

void OutputChannel::append_log_text_checked(std::string_view text) {
  if (terminal_ == Terminal::kUnknown) {
    terminal_ = isatty(fileno(stream())) ? Terminal::kYes : Terminal::kNo;
  }
  if (terminal_ == Terminal::kNo) return append(text);
  auto is_c1 = [](unsigned char c) { return c >= 0x80 && c <= 0x9f; };
  size_t shown = 0;  // the bytes before it are written
  auto hide = [&](size_t at, size_t count) {
    append(text.substr(shown, at - shown));
    append_fill('?', count);
    shown = at + count;
  };
  for (size_t i = 0; i < text.size();) {
    const auto c = static_cast<unsigned char>(text[i]);
    if (c < 0x80) {
      if ((c < 0x20 && c != '\t' && c != '\n') || c == 0x7f) hide(i, 1);
      ++i;
      continue;
    }
    size_t ill_formed = 0;
    const size_t length = utf8_character(text, i, &ill_formed);
    if (length == 2 && c == 0xc2 && is_c1(static_cast<unsigned char>(text[i + 1]))) {
      hide(i, 2);  // U+0080-U+009F
    } else if (length == 0) {
      // Of bytes that make no character, those of the C1 range are hidden.
      for (size_t j = i; j < i + ill_formed; ++j) {
        if (is_c1(static_cast<unsigned char>(text[j]))) hide(j, 1);
      }
    }
    i += length != 0 ? length : ill_formed;
  }
  append(text.substr(shown));
}

int OutputChannel::vprint(const char* format, std::va_list args) {
  write_block();
  return std::vfprintf(stream(), format, args);
}

void OutputChannel::gather_into(std::string* gathered, OutputChannel& like, size_t limit) {
  gathered_ = gathered;
  gather_limit_ = limit;
  if (like.terminal_ == Terminal::kUnknown) {
    like.terminal_ = isatty(fileno(like.stream())) ? Terminal::kYes : Terminal::kNo;
  }
  terminal_ = like.terminal_;
}

void OutputChannel::write_out(const char* bytes, size_t size) {
  if (gathered_ != nullptr) {
    // Bytes past the limit are never kept: memory stays bounded whatever a
    // record makes, and the part that passed it is made again elsewhere.
    const size_t room = gather_limit_ - std::min(gather_limit_, gathered_->size());
    if (size > room) {
      overflowed_ = true;
      size = room;
    }
    gathered_->append(bytes, size);
  } else {
    std::fwrite(bytes, 1, size, stream());
  }
}

void OutputChannel::rewind_gathered(size_t size) {
  write_block();  // keeps at least the first `size` bytes, as `size` is within the limit
  gathered_->resize(std::min(size, gathered_->size()));
  overflowed_ = false;
}

void OutputChannel::write_block() {
  if (size_ > 0) write_out(bytes_.get(), size_);
  size_ = 0;
}

void OutputChannel::append_beyond_block(std::string_view text) {
  write_block();
  if (text.size() > kCapacity) return write_out(text.data(), text.size());
  std::memcpy(bytes_.get(), text.data(), text.size());
  size_ = text.size();
}

void OutputChannel::note_failure() {
  if (first_error_ == 0) first_error_ = errno != 0 ? errno : EIO;
}

bool OutputChannel::failed() {
  if (std::ferror(stream()) == 0) return false;
  note_failure();
  return true;
}

bool OutputChannel::flush() {
  write_block();
  if (gathered_ != nullptr) return true;
  if (std::fflush(stream()) != 0) note_failure();
  return !failed();
}

int OutputChannel::error_number() const { return first_error_ != 0 ? first_error_ : EIO; }
