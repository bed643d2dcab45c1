// Arrays made with new[] (the record index's blocks, the read window) carry a
// guard after their last byte, checked when they are freed: a write past
// their end then fails the test in every build, not only under the address
// sanitizer, which watches them better and so keeps its own.

#if !defined(__SANITIZE_ADDRESS__)

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>

namespace {

constexpr size_t kHead = 16;  // the array's size; keeps the array aligned as malloc's blocks are
constexpr size_t kGuard = 16;
constexpr unsigned char kGuardByte = 0xa5;

}  // namespace

void* operator new[](size_t size) {
  unsigned char* block;
  while ((block = static_cast<unsigned char*>(std::malloc(kHead + size + kGuard))) == nullptr) {
    const std::new_handler handler = std::get_new_handler();
    if (handler == nullptr) throw std::bad_alloc();
    handler();  // as the library's own operator new does
  }
  std::memcpy(block, &size, sizeof size);
  std::memset(block + kHead + size, kGuardByte, kGuard);
  return block + kHead;
}

void operator delete[](void* array) noexcept {
  if (array == nullptr) return;
  auto* block = static_cast<unsigned char*>(array) - kHead;
  size_t size;
  std::memcpy(&size, block, sizeof size);
  for (size_t i = 0; i < kGuard; ++i) {
    if (block[kHead + size + i] != kGuardByte) {
      std::fprintf(stderr, "a write went past the end of an array of %zu bytes\n", size);
      std::abort();
    }
  }
  std::free(block);
}

void operator delete[](void* array, size_t) noexcept { operator delete[](array); }

#endif
