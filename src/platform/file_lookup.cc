#include "platform/file_lookup.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>

namespace {

// The device's lookup joins SESSPATH and the name in a buffer of this size.
constexpr size_t kPathLimit = 256;

// Opens a file for reading without ever blocking in open() (a FIFO without a
// writer would), and refuses directories, which open but cannot be read.
std::FILE* open_readable(const char* path, const char* mode) {
  if (std::strcmp(mode, "r") != 0) return std::fopen(path, mode);
  const int fd = open(path, O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return nullptr;
  struct stat info;
  if (fstat(fd, &info) != 0 || S_ISDIR(info.st_mode)) {
    close(fd);
    return nullptr;
  }
  fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) & ~O_NONBLOCK);
  std::FILE* stream = fdopen(fd, mode);
  if (stream == nullptr) close(fd);
  return stream;
}

}  // namespace

std::FILE* locate_file(const char* name, const char* mode) {
  if (name == nullptr) return nullptr;
  if (std::FILE* stream = open_readable(name, mode)) return stream;
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
  return open_readable(path, mode);
}
