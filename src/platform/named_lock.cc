#include "platform/named_lock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdint>
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

namespace {

constexpr int64_t kNanosecondsPerSecond = 1000000000;
constexpr long kTryEvery = 50000000;  // nanoseconds

// a - b in nanoseconds, saturating (in 64 bits: long has 32 on the devices).
int64_t nanoseconds_between(const timespec& a, const timespec& b) {
  const int64_t seconds = static_cast<int64_t>(a.tv_sec) - static_cast<int64_t>(b.tv_sec);
  if (seconds >= INT64_MAX / kNanosecondsPerSecond - 1) return INT64_MAX;
  return seconds * kNanosecondsPerSecond + (a.tv_nsec - b.tv_nsec);
}

}  // namespace

int x_lock_wait(LockHandle handle, long seconds) {
  timespec deadline;
  clock_gettime(CLOCK_MONOTONIC, &deadline);
  // A wait of more than a century is as good as endless.
  constexpr int64_t kCentury = int64_t{100} * 366 * 24 * 3600;
  deadline.tv_sec += static_cast<time_t>(seconds < kCentury ? seconds : kCentury);
  for (;;) {
    if (x_try_lock(handle) == 0) return 0;
    timespec now;
    clock_gettime(CLOCK_MONOTONIC, &now);
    const int64_t left = nanoseconds_between(deadline, now);
    if (left <= 0) return 1;
    const long pause = left < kTryEvery ? static_cast<long>(left) : kTryEvery;
    const timespec sleep{0, pause};
    if (nanosleep(&sleep, nullptr) != 0 && errno == EINTR) return 2;
  }
}
