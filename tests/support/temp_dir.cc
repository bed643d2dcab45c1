#include "support/temp_dir.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

TempDir::TempDir() {
  std::string pattern = std::filesystem::temp_directory_path() / "jobview-test-XXXXXX";
  if (mkdtemp(pattern.data()) == nullptr) std::abort();
  path_ = pattern;
}

TempDir::~TempDir() {
  std::error_code ignored;
  std::filesystem::remove_all(path_, ignored);
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
