#include "support/temp_dir.h"

#include <cstdio>
#include <cstdlib>
#include <string>

TempDir::TempDir() {
  const char* base = std::getenv("TMPDIR");
  std::string pattern = std::string(base && *base ? base : "/tmp") + "/jobview-test-XXXXXX";
  if (mkdtemp(pattern.data()) == nullptr) std::abort();
  path_ = pattern;
}

TempDir::~TempDir() {
  const std::string command = "rm -rf '" + path_ + "'";
  if (std::system(command.c_str()) != 0) std::perror("rm");
}

std::string TempDir::write(const std::string& name, const std::string& content) const {
  const std::string file = path_ + "/" + name;
  std::FILE* stream = std::fopen(file.c_str(), "wb");
  if (stream == nullptr) std::abort();
  std::fwrite(content.data(), 1, content.size(), stream);
  std::fclose(stream);
  return file;
}

std::string read_file(const std::string& path) {
  std::string content;
  if (std::FILE* stream = std::fopen(path.c_str(), "rb")) {
    char buffer[65536];
    size_t got;
    while ((got = std::fread(buffer, 1, sizeof buffer, stream)) > 0) content.append(buffer, got);
    std::fclose(stream);
  }
  return content;
}
