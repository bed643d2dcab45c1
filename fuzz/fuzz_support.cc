#include "fuzz_support.h"

#include <unistd.h>

#include <algorithm>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "diag/diagnostics.h"

namespace fuzz {

namespace {

// Held until the process ends (never destroyed): the exit handler that
// removes the scratch files runs after static destructors may have.
bool tracking = false;
std::vector<std::FILE*>& program_streams() {
  static auto* streams = new std::vector<std::FILE*>;
  return *streams;
}

std::vector<std::string>& written_files() {
  static auto* files = new std::vector<std::string>;
  return *files;
}

void remove_scratch() {
  for (const std::string& file : written_files()) unlink(file.c_str());
  rmdir(scratch_dir().c_str());
}

}  // namespace

const std::string& scratch_dir() {
  // In memory when the machine has it: every input is written to a file, and
  // a disk's journal would make that the slowest step.
  static const auto* dir = [] {
    char in_memory[] = "/dev/shm/jobview-fuzz.XXXXXX";
    char on_disk[] = "/tmp/jobview-fuzz.XXXXXX";
    const char* made = mkdtemp(in_memory);
    if (made == nullptr) made = mkdtemp(on_disk);
    if (made == nullptr) std::abort();
    return new std::string(made);
  }();
  return *dir;
}

void quiet_output() {
  if (std::freopen("/dev/null", "w", stdout) == nullptr) std::abort();
  diagnostics().err = std::fopen("/dev/null", "w");
  if (diagnostics().err == nullptr) std::abort();
  scratch_dir();
  std::atexit(remove_scratch);
}

void reset_error_count() { diagnostics().error_count = INT_MIN / 2; }

std::string write_input(const char* name, const uint8_t* data, size_t size) {
  std::string path = scratch_dir() + "/" + name;
  if (std::find(written_files().begin(), written_files().end(), path) == written_files().end()) {
    written_files().push_back(path);
  }
  std::FILE* file = std::fopen(path.c_str(), "wb");
  if (file == nullptr) std::abort();
  if (size > 0 && std::fwrite(data, 1, size, file) != size) std::abort();
  std::fclose(file);
  return path;
}

void track_program_streams() { tracking = true; }

void close_program_streams() {
  tracking = false;
  std::vector<std::FILE*> streams;
  streams.swap(program_streams());
  for (std::FILE* stream : streams) std::fclose(stream);
}

}  // namespace fuzz

// The link wraps these C library calls (-Wl,--wrap=...): the streams the
// program opens are remembered.
extern "C" {
std::FILE* __real_fopen(const char* path, const char* mode);
std::FILE* __real_fopen64(const char* path, const char* mode);
std::FILE* __real_fdopen(int fd, const char* mode);
int __real_fclose(std::FILE* stream);

static std::FILE* remember(std::FILE* stream) {
  if (stream != nullptr && fuzz::tracking) fuzz::program_streams().push_back(stream);
  return stream;
}

std::FILE* __wrap_fopen(const char* path, const char* mode) {
  return remember(__real_fopen(path, mode));
}

// With 64-bit file offsets the C library's headers turn fopen into fopen64.
std::FILE* __wrap_fopen64(const char* path, const char* mode) {
  return remember(__real_fopen64(path, mode));
}

std::FILE* __wrap_fdopen(int fd, const char* mode) { return remember(__real_fdopen(fd, mode)); }

int __wrap_fclose(std::FILE* stream) {
  std::vector<std::FILE*>& streams = fuzz::program_streams();
  streams.erase(std::remove(streams.begin(), streams.end(), stream), streams.end());
  return __real_fclose(stream);
}
}
