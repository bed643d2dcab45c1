#include "joblog/byte_classes.h"

#include <cstring>

#if defined(__x86_64__)
#include <cpuid.h>
#include <immintrin.h>
#define JOBVIEW_X86_VECTORS 1
#endif

// A build may hold the program below a level (JOBVIEW_VECTOR_CAP: 0 plain,
// 1 SSE2, 2 AVX2), so that a test run goes through the narrower code.
#ifndef JOBVIEW_VECTOR_CAP
#define JOBVIEW_VECTOR_CAP 2
#endif

namespace {

bool is_white(char c) { return c == ' ' || (c >= '\t' && c <= '\r'); }

// Header starts one byte at a time from `p` up to `to`, while the batch has
// room for them; returns where it stopped.
size_t header_starts_plain(const char* bytes, size_t p, size_t to, HeaderSearch& out) {
  for (; p < to && out.count < kHeaderBatch; ++p) {
    if (bytes[p] == '\0') out.nul = true;
    if (bytes[p - 1] == '\n' && !is_white(bytes[p])) {
      out.starts[out.count++] = static_cast<uint32_t>(p);
    }
  }
  return p;
}

enum Class : uint8_t { kNewline = 1, kBlank = 2, kFiller = 4, kQuote = 8, kReturn = 16 };

struct ClassTable {
  uint8_t of[256] = {};
  constexpr ClassTable() {
    of[static_cast<unsigned char>('\n')] = kNewline;
    of[static_cast<unsigned char>('\t')] = kBlank;
    of[static_cast<unsigned char>(' ')] = kBlank | kFiller;
    of[static_cast<unsigned char>('=')] = kFiller;
    of[static_cast<unsigned char>('"')] = kQuote;
    of[static_cast<unsigned char>('\r')] = kReturn;
  }
};
constexpr ClassTable kClasses;

struct Masks {
  uint64_t newlines = 0, blanks = 0, fillers = 0, quotes = 0, returns = 0;

  void store(const RecordClasses& out, size_t word, size_t valid) const {
    const uint64_t keep = valid >= 64 ? ~uint64_t{0} : (uint64_t{1} << valid) - 1;
    out.newlines[word] = newlines & keep;
    out.blanks[word] = blanks & keep;
    out.fillers[word] = fillers & keep;
    out.quotes[word] = quotes & keep;
    out.returns[word] = returns & keep;
  }
};

void classify_plain(const char* bytes, size_t size, const RecordClasses& out) {
  for (size_t p = 0; p < size; p += 64) {
    const size_t count = size - p < 64 ? size - p : 64;
    Masks m;
    for (size_t i = 0; i < count; ++i) {
      const unsigned of = kClasses.of[static_cast<unsigned char>(bytes[p + i])];
      m.newlines |= uint64_t{of & 1u} << i;
      m.blanks |= uint64_t{(of >> 1) & 1u} << i;
      m.fillers |= uint64_t{(of >> 2) & 1u} << i;
      m.quotes |= uint64_t{(of >> 3) & 1u} << i;
      m.returns |= uint64_t{(of >> 4) & 1u} << i;
    }
    m.store(out, p / 64, count);
  }
}

#if JOBVIEW_X86_VECTORS

RecordClasses shifted(const RecordClasses& out, size_t words) {
  return {out.newlines + words, out.blanks + words, out.fillers + words, out.quotes + words,
          out.returns + words};
}

size_t header_starts_sse2(const char* bytes, size_t p, size_t to, HeaderSearch& out) {
  const __m128i newline = _mm_set1_epi8('\n');
  const __m128i space = _mm_set1_epi8(' ');
  const __m128i tab = _mm_set1_epi8('\t');
  const __m128i four = _mm_set1_epi8(4);
  __m128i lowest = _mm_set1_epi8(-1);
  for (; p + 64 <= to && out.count + 64 <= kHeaderBatch; p += 64) {
    uint64_t starts = 0;
    for (int i = 0; i < 4; ++i) {
      const char* at = bytes + p + 16 * i;
      const __m128i before = _mm_loadu_si128(reinterpret_cast<const __m128i*>(at - 1));
      const __m128i here = _mm_loadu_si128(reinterpret_cast<const __m128i*>(at));
      lowest = _mm_min_epu8(lowest, here);
      // White space: ' ', or '\t' to '\r' (a byte less '\t' that is at most 4).
      const __m128i shifted = _mm_sub_epi8(here, tab);
      const __m128i white = _mm_or_si128(_mm_cmpeq_epi8(here, space),
                                         _mm_cmpeq_epi8(_mm_min_epu8(shifted, four), shifted));
      const __m128i start = _mm_andnot_si128(white, _mm_cmpeq_epi8(before, newline));
      starts |= static_cast<uint64_t>(static_cast<uint16_t>(_mm_movemask_epi8(start))) << (16 * i);
    }
    for (; starts != 0; starts &= starts - 1) {
      out.starts[out.count++] =
          static_cast<uint32_t>(p + static_cast<size_t>(__builtin_ctzll(starts)));
    }
  }
  if (_mm_movemask_epi8(_mm_cmpeq_epi8(lowest, _mm_setzero_si128())) != 0) out.nul = true;
  return p;
}

// Whole blocks of 64 bytes while they may be read; the last one read in
// full may reach past the record, its bits there cleared.
void classify_sse2(const char* bytes, size_t size, size_t readable, const RecordClasses& out) {
  const __m128i newline = _mm_set1_epi8('\n');
  const __m128i space = _mm_set1_epi8(' ');
  const __m128i tab = _mm_set1_epi8('\t');
  const __m128i equals = _mm_set1_epi8('=');
  const __m128i quote = _mm_set1_epi8('"');
  const __m128i carriage = _mm_set1_epi8('\r');
  size_t p = 0;
  for (; p < size && p + 64 <= readable; p += 64) {
    Masks m;
    for (int i = 0; i < 4; ++i) {
      const __m128i here = _mm_loadu_si128(reinterpret_cast<const __m128i*>(bytes + p + 16 * i));
      const __m128i is_space = _mm_cmpeq_epi8(here, space);
      const int shift = 16 * i;
      auto bits = [shift](__m128i v) {
        return static_cast<uint64_t>(static_cast<uint16_t>(_mm_movemask_epi8(v))) << shift;
      };
      m.newlines |= bits(_mm_cmpeq_epi8(here, newline));
      m.blanks |= bits(_mm_or_si128(is_space, _mm_cmpeq_epi8(here, tab)));
      m.fillers |= bits(_mm_or_si128(is_space, _mm_cmpeq_epi8(here, equals)));
      m.quotes |= bits(_mm_cmpeq_epi8(here, quote));
      m.returns |= bits(_mm_cmpeq_epi8(here, carriage));
    }
    m.store(out, p / 64, size - p);
  }
  if (p < size) classify_plain(bytes + p, size - p, shifted(out, p / 64));
}

__attribute__((target("avx2"))) size_t header_starts_avx2(const char* bytes, size_t p, size_t to,
                                                          HeaderSearch& out) {
  const __m256i newline = _mm256_set1_epi8('\n');
  const __m256i space = _mm256_set1_epi8(' ');
  const __m256i tab = _mm256_set1_epi8('\t');
  const __m256i four = _mm256_set1_epi8(4);
  __m256i lowest = _mm256_set1_epi8(-1);
  for (; p + 64 <= to && out.count + 64 <= kHeaderBatch; p += 64) {
    uint64_t starts = 0;
    for (int i = 0; i < 2; ++i) {
      const char* at = bytes + p + 32 * i;
      const __m256i before = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(at - 1));
      const __m256i here = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(at));
      lowest = _mm256_min_epu8(lowest, here);
      const __m256i shifted = _mm256_sub_epi8(here, tab);
      const __m256i white =
          _mm256_or_si256(_mm256_cmpeq_epi8(here, space),
                          _mm256_cmpeq_epi8(_mm256_min_epu8(shifted, four), shifted));
      const __m256i start = _mm256_andnot_si256(white, _mm256_cmpeq_epi8(before, newline));
      starts |= static_cast<uint64_t>(static_cast<uint32_t>(_mm256_movemask_epi8(start)))
                << (32 * i);
    }
    for (; starts != 0; starts &= starts - 1) {
      out.starts[out.count++] =
          static_cast<uint32_t>(p + static_cast<size_t>(__builtin_ctzll(starts)));
    }
  }
  if (_mm256_movemask_epi8(_mm256_cmpeq_epi8(lowest, _mm256_setzero_si256())) != 0) out.nul = true;
  return p;
}

__attribute__((target("avx2"))) void classify_avx2(const char* bytes, size_t size, size_t readable,
                                                   const RecordClasses& out) {
  const __m256i newline = _mm256_set1_epi8('\n');
  const __m256i space = _mm256_set1_epi8(' ');
  const __m256i tab = _mm256_set1_epi8('\t');
  const __m256i equals = _mm256_set1_epi8('=');
  const __m256i quote = _mm256_set1_epi8('"');
  const __m256i carriage = _mm256_set1_epi8('\r');
  size_t p = 0;
  for (; p < size && p + 64 <= readable; p += 64) {
    Masks m;
    for (int i = 0; i < 2; ++i) {
      const __m256i here = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(bytes + p + 32 * i));
      const __m256i is_space = _mm256_cmpeq_epi8(here, space);
      const int shift = 32 * i;
      auto bits = [shift](__m256i v) __attribute__((target("avx2"))) {
        return static_cast<uint64_t>(static_cast<uint32_t>(_mm256_movemask_epi8(v))) << shift;
      };
      m.newlines |= bits(_mm256_cmpeq_epi8(here, newline));
      m.blanks |= bits(_mm256_or_si256(is_space, _mm256_cmpeq_epi8(here, tab)));
      m.fillers |= bits(_mm256_or_si256(is_space, _mm256_cmpeq_epi8(here, equals)));
      m.quotes |= bits(_mm256_cmpeq_epi8(here, quote));
      m.returns |= bits(_mm256_cmpeq_epi8(here, carriage));
    }
    m.store(out, p / 64, size - p);
  }
  if (p < size) classify_plain(bytes + p, size - p, shifted(out, p / 64));
}

#endif  // JOBVIEW_X86_VECTORS

#if JOBVIEW_X86_VECTORS
// AVX2 needs the processor's instructions and the system's saving of the wide
// registers (OSXSAVE, and XCR0 with the SSE and AVX states).
bool has_avx2() {
  unsigned a, b, c, d;
  if (__get_cpuid(1, &a, &b, &c, &d) == 0 || (c & bit_OSXSAVE) == 0 || (c & bit_AVX) == 0) {
    return false;
  }
  unsigned xcr0_low, xcr0_high;
  __asm__("xgetbv" : "=a"(xcr0_low), "=d"(xcr0_high) : "c"(0));
  if ((xcr0_low & 6) != 6) return false;
  return __get_cpuid_count(7, 0, &a, &b, &c, &d) != 0 && (b & bit_AVX2) != 0;
}
#endif

VectorLevel detect_vector_level() {
  VectorLevel level = VectorLevel::kPlain;
#if JOBVIEW_X86_VECTORS
  level = has_avx2() ? VectorLevel::kAvx2 : VectorLevel::kSse2;
#endif
  const auto cap = static_cast<VectorLevel>(JOBVIEW_VECTOR_CAP);
  return level < cap ? level : cap;
}

VectorLevel level_in_use = best_vector_level();

}  // namespace

VectorLevel best_vector_level() {
  static const VectorLevel best = detect_vector_level();
  return best;
}

VectorLevel vector_level() { return level_in_use; }

VectorLevel use_vector_level(VectorLevel level) {
  level_in_use = level <= best_vector_level() ? level : best_vector_level();
  return level_in_use;
}

void find_header_starts(const char* bytes, size_t from, size_t to, HeaderSearch& out) {
  out.count = 0;
  out.nul = false;
  size_t p = from;
#if JOBVIEW_X86_VECTORS
  if (level_in_use == VectorLevel::kAvx2) {
    p = header_starts_avx2(bytes, p, to, out);
  } else if (level_in_use == VectorLevel::kSse2) {
    p = header_starts_sse2(bytes, p, to, out);
  }
#endif
  // The vector loops leave fewer bytes than a block, or stop while the batch
  // has no room for another block: then it is handed back first.
  if (level_in_use == VectorLevel::kPlain || to - p < 64) {
    p = header_starts_plain(bytes, p, to, out);
  }
  out.stop = p;
}

void classify_record(const char* bytes, size_t size, size_t readable, const RecordClasses& out) {
#if JOBVIEW_X86_VECTORS
  if (level_in_use == VectorLevel::kAvx2) return classify_avx2(bytes, size, readable, out);
  if (level_in_use == VectorLevel::kSse2) return classify_sse2(bytes, size, readable, out);
#endif
  (void)readable;
  classify_plain(bytes, size, out);
}
