#include "joblog/log_source.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <memory>

#include "diag/diagnostics.h"
#include "platform/file_lookup.h"
#include "platform/temporary_file.h"

namespace {

bool is_regular(int fd) {
  struct stat info;
  return fstat(fd, &info) == 0 && S_ISREG(info.st_mode);
}

// Writes all of `size` bytes; false with errno set when the file refuses them
// (a full disk, a file size limit).
bool write_all(int fd, const char* data, size_t size) {
  while (size > 0) {
    const ssize_t done = write(fd, data, size);
    if (done < 0 && errno == EINTR) continue;
    if (done <= 0) return false;
    data += done;
    size -= static_cast<size_t>(done);
  }
  return true;
}

// Copies what `in` gives up to its end into a new unlinked file, and returns
// that file open for reading. The copy stops as soon as its first bytes are
// not the banner (so /dev/zero ends at once): the scan then rejects it.
// Returns -1 with errno set when reading or writing fails.
int copy_to_unlinked_file(int in) {
  const int out = create_unlinked_file();
  if (out < 0) return -1;
  auto buffer = std::make_unique<char[]>(size_t{64} << 10);
  // Only the banner's bytes are counted, never the copy's: no count can wrap
  // however long the pipe (a size_t has 32 bits on the devices).
  for (size_t banner_seen = 0;;) {
    const ssize_t got = read(in, buffer.get(), size_t{64} << 10);
    if (got < 0 && errno == EINTR) continue;
    if (got == 0) return out;
    if (got < 0 || !write_all(out, buffer.get(), static_cast<size_t>(got))) {
      const int reason = errno;
      close(out);
      errno = reason;
      return -1;
    }
    if (banner_seen < kJobLogBanner.size()) {
      const size_t checked = std::min(static_cast<size_t>(got), kJobLogBanner.size() - banner_seen);
      if (std::string_view(buffer.get(), checked) != kJobLogBanner.substr(banner_seen, checked)) {
        return out;
      }
      banner_seen += checked;
    }
  }
}

}  // namespace

bool prepare_log_sources(const std::vector<const char*>& names, std::vector<LogSource>& sources) {
  sources.assign(names.begin(), names.end());
  for (LogSource& source : sources) {
    int in = -1;
    if (source.is_standard_input()) {
      in = dup(STDIN_FILENO);
    } else if (std::FILE* stream = locate_file(source.name, "r")) {
      if (is_regular(fileno(stream))) {
        std::fclose(stream);  // read by name under the lock, as it is
        continue;
      }
      in = dup(fileno(stream));
      std::fclose(stream);
    }
    if (in < 0) continue;  // the scan reports it
    if (is_regular(in)) {
      source.stream = fdopen(in, "r");
      if (source.stream == nullptr) close(in);
      continue;
    }
    const int copy = copy_to_unlinked_file(in);
    int reason = errno;
    close(in);
    if (copy >= 0) {
      source.stream = fdopen(copy, "r");
      reason = errno;
      if (source.stream == nullptr) close(copy);
    }
    if (source.stream == nullptr) {
      error("Unable to copy log file '%s': %s.\n", source.name, std::strerror(reason));
      return false;
    }
  }
  return true;
}
