#pragma once

#include <cstddef>
#include <cstdint>

// How the record index (and the scan's second half, until it is replayed into
// the index) keeps a record: its distance from the record before, shifted
// left by one, with 1 in the low bit for a job, written seven bits a byte,
// low bits first, the high bit set on every byte but a code's last. A code
// ends at a byte whose high bit is clear, so codes can be read either way.

inline constexpr size_t kLongestRecordCode = 10;  // 64 bits, seven at a time

inline uint64_t record_code(int64_t distance, bool is_job) {
  return static_cast<uint64_t>(distance) << 1 | (is_job ? 1u : 0u);
}

// Hands the bytes of `code` to put(byte), in order.
template <typename Put>
void put_record_code(uint64_t code, Put&& put) {
  for (; code >= 0x80; code >>= 7) put(static_cast<uint8_t>(code | 0x80));
  put(static_cast<uint8_t>(code));
}

// The code that begins at `bytes[at]`; moves `at` past it.
inline uint64_t next_record_code(const uint8_t* bytes, size_t& at) {
  uint64_t code = 0;
  for (int shift = 0;; shift += 7) {
    const uint8_t byte = bytes[at++];
    code |= static_cast<uint64_t>(byte & 0x7f) << shift;
    if (byte < 0x80) return code;
  }
}
