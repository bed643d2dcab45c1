#include "platform/temporary_file.h"

#include <fcntl.h>
#include <stdlib.h>
#include <unistd.h>

#include <cerrno>
#include <string>

int create_unlinked_file() {
  const char* dir = std::getenv("TMPDIR");
  if (dir == nullptr || *dir == '\0') dir = "/tmp";
#ifdef O_TMPFILE
  const int fd = open(dir, O_TMPFILE | O_RDWR | O_CLOEXEC, 0600);
  // Other errors (a missing or unwritable directory) are the answer; these say
  // that the file system cannot make a file without a name.
  if (fd >= 0 || (errno != EOPNOTSUPP && errno != EISDIR && errno != EINVAL)) return fd;
#endif
  std::string path = std::string(dir) + "/jobview.XXXXXX";
  const int named = mkostemp(path.data(), O_CLOEXEC);  // mode 0600
  if (named >= 0) unlink(path.c_str());
  return named;
}
