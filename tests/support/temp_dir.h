#pragma once

#include <string>

// A scratch directory for one test, removed with everything in it afterwards.
class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  const std::string& path() const { return path_; }
  // Writes `content` (any bytes) to the file `name` inside the directory; returns its path.
  std::string write(const std::string& name, const std::string& content) const;

 private:
  std::string path_;
};

// Reads a whole file; empty when it cannot be read.
std::string read_file(const std::string& path);
