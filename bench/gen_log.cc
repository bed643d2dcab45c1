// Writes a generated job log of a requested size and seed, for the benchmark
// and for trying jobview on logs that no device at hand has written.
#include <cerrno>
#include <cinttypes>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "log_generator.h"

namespace {

void usage() {
  std::fputs(
      "usage: jobview_gen_log [-s size[K|M|G]] [-S seed] [-n log_number] [-o file]\n"
      "                       [-c counts_file] [-LBCFNTOnU]\n"
      "  -L long lines   -B blank lines   -C CRLF line ends   -F no final newline\n"
      "  -N NUL bytes    -T documents after the last job      -O near-miss attribute lines\n"
      "  -n the log number line unindented   -U URIs of 300 to 1,023 bytes\n",
      stderr);
}

bool parse_size(const char* text, uint64_t& size) {
  char* end = nullptr;
  errno = 0;
  const unsigned long long value = std::strtoull(text, &end, 10);
  if (errno != 0 || end == text) return false;
  uint64_t unit = 1;
  if (*end == 'K' || *end == 'k') unit = 1000;
  if (*end == 'M' || *end == 'm') unit = 1000 * 1000;
  if (*end == 'G' || *end == 'g') unit = 1000 * 1000 * 1000;
  if (unit != 1) ++end;
  if (*end != '\0') return false;
  size = value * unit;
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  LogShape shape;
  const char* output = nullptr;
  const char* counts_file = nullptr;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    const bool has_value = i + 1 < argc;
    if (arg == "-s" && has_value) {
      if (!parse_size(argv[++i], shape.size)) {
        usage();
        return 2;
      }
    } else if (arg == "-S" && has_value) {
      shape.seed = std::strtoull(argv[++i], nullptr, 10);
    } else if (arg == "-n" && has_value) {
      shape.log_number = std::strtol(argv[++i], nullptr, 10);
    } else if (arg == "-o" && has_value) {
      output = argv[++i];
    } else if (arg == "-c" && has_value) {
      counts_file = argv[++i];
    } else if (arg.size() > 1 && arg[0] == '-' &&
               arg.find_first_not_of("LBCFNTOnU", 1) == std::string::npos) {
      for (char c : arg.substr(1)) {
        if (c == 'L') shape.long_lines = true;
        if (c == 'B') shape.blank_lines = true;
        if (c == 'C') shape.crlf = true;
        if (c == 'F') shape.no_final_newline = true;
        if (c == 'N') shape.nul_bytes = true;
        if (c == 'T') shape.trailing_documents = true;
        if (c == 'O') shape.odd_lines = true;
        if (c == 'n') shape.bare_log_number = true;
        if (c == 'U') shape.long_uris = true;
      }
    } else {
      usage();
      return 2;
    }
  }

  std::FILE* out = output ? std::fopen(output, "wb") : stdout;
  if (!out) {
    std::fprintf(stderr, "jobview_gen_log: %s: %s\n", output, std::strerror(errno));
    return 1;
  }
  LogGenerator generator(shape);
  std::string chunk;
  while (generator.next(chunk)) {
    if (chunk.size() >= (1u << 20)) {
      if (std::fwrite(chunk.data(), 1, chunk.size(), out) != chunk.size()) break;
      chunk.clear();
    }
  }
  std::fwrite(chunk.data(), 1, chunk.size(), out);
  if (std::fflush(out) != 0 || std::ferror(out) || (output && std::fclose(out) != 0)) {
    std::fprintf(stderr, "jobview_gen_log: write failed: %s\n", std::strerror(errno));
    return 1;
  }

  if (counts_file) {
    std::FILE* counts = std::fopen(counts_file, "w");
    if (!counts) {
      std::fprintf(stderr, "jobview_gen_log: %s: %s\n", counts_file, std::strerror(errno));
      return 1;
    }
    const LogCounts& c = generator.counts();
    std::fprintf(
        counts, "bytes %" PRIu64 "\njobs %" PRIu64 "\ndocuments %" PRIu64 "\nrecords %" PRIu64 "\n",
        c.bytes, c.jobs, c.documents, c.header_lines);
    std::fclose(counts);
  }
  return 0;
}
