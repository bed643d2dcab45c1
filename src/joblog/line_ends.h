#pragma once

#include <cstddef>
#include <cstdint>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace joblog_detail {

// The newlines of a stretch of bytes, in order, found 64 bytes at a time
// (with the processor's vector compares where it has them). The scan's own
// search (byte_classes.h) notes the NUL bytes of a log.
class LineEnds {
 public:
  LineEnds(const char* begin, const char* end) : block_(begin), end_(end) { load(); }

  // The next newline, or the end of the stretch when there is none.
  const char* next() {
    while (mask_ == 0) {
      block_ += 64;
      if (block_ >= end_) return end_;
      load();
    }
    const char* found = block_ + __builtin_ctzll(mask_);
    mask_ &= mask_ - 1;
    return found;
  }

 private:
  void load() {
#if defined(__SSE2__)
    if (end_ - block_ >= 64) {
      const __m128i newline = _mm_set1_epi8('\n');
      mask_ = 0;
      for (int i = 0; i < 4; ++i) {
        const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(block_ + 16 * i));
        mask_ |= static_cast<uint64_t>(
                     static_cast<uint16_t>(_mm_movemask_epi8(_mm_cmpeq_epi8(bytes, newline))))
                 << (16 * i);
      }
      return;
    }
#endif
    mask_ = 0;
    const ptrdiff_t count = end_ - block_ < 64 ? end_ - block_ : 64;
    for (ptrdiff_t i = 0; i < count; ++i) {
      if (block_[i] == '\n') mask_ |= uint64_t{1} << i;
    }
  }

  const char* block_;
  const char* end_;
  uint64_t mask_ = 0;
};

}  // namespace joblog_detail
