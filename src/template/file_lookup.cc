#include "template/file_lookup.h"

#include <cstdlib>
#include <cstring>

namespace {
// The device's lookup joins SESSPATH and the name in a buffer of this size.
constexpr size_t kPathLimit = 256;
}  // namespace

std::FILE* locate_file(const char* name, const char* mode) {
  if (name == nullptr) return nullptr;
  if (std::FILE* stream = std::fopen(name, mode)) return stream;
  const char* dir = std::getenv("SESSPATH");
  if (dir == nullptr) return nullptr;
  char path[kPathLimit];
  const size_t dir_length = std::strlen(dir);
  const size_t name_length = std::strlen(name);
  // A join that does not fit counts as not found, never as a cut path.
  if (dir_length + 1 + name_length + 1 > sizeof path) return nullptr;
  std::memcpy(path, dir, dir_length);
  path[dir_length] = '/';
  std::memcpy(path + dir_length + 1, name, name_length + 1);
  return std::fopen(path, mode);
}
