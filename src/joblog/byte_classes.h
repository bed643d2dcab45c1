#pragma once

#include <cstddef>
#include <cstdint>

// The two searches that every byte of a job log goes through, written three
// times: with AVX2 compares, with SSE2 compares and in plain code. The widest
// that the processor has is chosen when the program starts; the others stay
// in the program for processors without it (and on ARM only plain code is
// built).

enum class VectorLevel { kPlain, kSse2, kAvx2 };

// The widest level the processor has.
VectorLevel best_vector_level();
// The level in use; the best one unless a test asked for another.
VectorLevel vector_level();
// For tests: uses `level` from now on, or the best one when the processor
// lacks it. Returns the level now in use.
VectorLevel use_vector_level(VectorLevel level);

// The record header lines of a stretch: the positions p in [from, to) where a
// line begins (bytes[p - 1] is a newline) with a byte that is not white space.
// from >= 1. They are written to `starts` in order, at most kHeaderBatch at a
// time; the search stops early when the batch is full. Also notes whether a
// NUL byte lies in [from, stop).
inline constexpr size_t kHeaderBatch = 1024;
struct HeaderSearch {
  size_t stop = 0;  // the search went up to here: `to`, or less when the batch filled
  size_t count = 0;
  bool nul = false;
  uint32_t starts[kHeaderBatch];
};
void find_header_starts(const char* bytes, size_t from, size_t to, HeaderSearch& out);

// Bit masks of the bytes of a record that its attribute lines are split by,
// 64 bytes to a word: bit i of word w stands for byte 64 * w + i.
struct RecordClasses {
  uint64_t* newlines;  // '\n'
  uint64_t* blanks;    // ' ', '\t'
  uint64_t* fillers;   // ' ', '=': skipped before a value
  uint64_t* quotes;    // '"'
  uint64_t* returns;   // '\r'
};
// Classifies `size` bytes into (size + 63) / 64 words of each mask; bits past
// `size` are clear. `readable` bytes (at least `size`) may be read.
void classify_record(const char* bytes, size_t size, size_t readable, const RecordClasses& out);
