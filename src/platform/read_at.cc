#include "platform/read_at.h"

#include <sys/types.h>
#include <unistd.h>

#include <cerrno>

size_t read_at(int fd, int64_t offset, char* out, size_t size) {
  size_t done = 0;
  while (done < size) {
    const ssize_t got =
        pread(fd, out + done, size - done, static_cast<off_t>(offset + static_cast<int64_t>(done)));
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) break;
    done += static_cast<size_t>(got);
  }
  return done;
}
