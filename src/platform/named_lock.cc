#include "platform/named_lock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <ctime>

namespace {

// Opens the lock file without O_CREAT first: in a sticky directory such as /tmp
// the kernel may refuse O_CREAT on a file that another user created.
int open_lock_file(const char* path) {
  for (int attempt = 0; attempt < 3; ++attempt) {
    int fd = open(path, O_RDONLY | O_CLOEXEC);
    if (fd >= 0 || errno != ENOENT) return fd;
    fd = open(path, O_RDONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd >= 0 || errno != EEXIST) return fd;
  }
  return -1;
}

}  // namespace

int x_create_lock(LockHandle* handle, const char* name, int /*flags*/) {
  const char* dir = std::getenv("JOBVIEW_LOCK_DIR");
  if (dir == nullptr || *dir == '\0') dir = "/tmp";
  char path[PATH_MAX];
  const int length = std::snprintf(path, sizeof path, "%s/%s.lock", dir, name);
  if (length < 0 || static_cast<size_t>(length) >= sizeof path) return 1;
  const int fd = open_lock_file(path);
  if (fd < 0) return 1;
  *handle = fd;
  return 0;
}

int x_lock(LockHandle handle) {
  int rc;
  do {
    rc = flock(handle, LOCK_EX);
  } while (rc != 0 && errno == EINTR);
  return rc;
}

int x_try_lock(LockHandle handle) {
  int rc;
  do {
    rc = flock(handle, LOCK_EX | LOCK_NB);
  } while (rc != 0 && errno == EINTR);
  return rc;
}

int x_unlock(LockHandle handle) { return flock(handle, LOCK_UN); }

int x_lock_wait(LockHandle handle, long seconds, bool (*stop)()) {
  timespec start;
  clock_gettime(CLOCK_MONOTONIC, &start);
  for (;;) {
    if (stop != nullptr && stop()) return 2;
    if (x_try_lock(handle) == 0) return 0;
    timespec now;
    clock_gettime(CLOCK_MONOTONIC, &now);
    const long waited_ms =
        (now.tv_sec - start.tv_sec) * 1000 + (now.tv_nsec - start.tv_nsec) / 1000000;
    if (seconds >= 0 && waited_ms >= seconds * 1000) return 1;
    const timespec pause = {0, 50 * 1000 * 1000};
    nanosleep(&pause, nullptr);
  }
}
