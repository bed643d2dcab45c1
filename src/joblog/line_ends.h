#pragma once

#include <cstddef>
#include <cstdint>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace joblog_detail {

// The newlines of a stretch of bytes, in order, found 64 bytes at a time
// (with the processor's vector compares where it has them); on request it
// also notes whether a NUL byte went by.
class LineEnds {
 public:
  LineEnds(const char* begin, const char* end, bool watch_nul = false)
      : block_(begin), end_(end), watch_nul_(watch_nul) {
    load();
  }

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

  bool saw_nul() const {
#if defined(__SSE2__)
    if (_mm_movemask_epi8(_mm_cmpeq_epi8(lowest_, _mm_setzero_si128())) != 0) return true;
#endif
    return nul_;
  }

 private:
  void load() {
#if defined(__SSE2__)
    if (end_ - block_ >= 64) {
      const __m128i newline = _mm_set1_epi8('\n');
      __m128i bytes[4];
      mask_ = 0;
      for (int i = 0; i < 4; ++i) {
        bytes[i] = _mm_loadu_si128(reinterpret_cast<const __m128i*>(block_ + 16 * i));
        mask_ |= static_cast<uint64_t>(
                     static_cast<uint16_t>(_mm_movemask_epi8(_mm_cmpeq_epi8(bytes[i], newline))))
                 << (16 * i);
      }
      if (watch_nul_) {
        // The smallest byte seen so far is 0 exactly when a NUL went by.
        lowest_ = _mm_min_epu8(lowest_, _mm_min_epu8(_mm_min_epu8(bytes[0], bytes[1]),
                                                     _mm_min_epu8(bytes[2], bytes[3])));
      }
      return;
    }
#endif
    mask_ = 0;
    const ptrdiff_t count = end_ - block_ < 64 ? end_ - block_ : 64;
    for (ptrdiff_t i = 0; i < count; ++i) {
      if (block_[i] == '\n') mask_ |= uint64_t{1} << i;
      if (block_[i] == '\0') nul_ = nul_ || watch_nul_;
    }
  }

  const char* block_;
  const char* end_;
  bool watch_nul_;
  uint64_t mask_ = 0;
  bool nul_ = false;
#if defined(__SSE2__)
  __m128i lowest_ = _mm_set1_epi8(static_cast<char>(0xff));
#endif
};

}  // namespace joblog_detail
