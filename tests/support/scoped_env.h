#pragma once

#include <unistd.h>

#include <cstdlib>
#include <string>

// Sets or unsets an environment variable for one test.
class ScopedEnv {
 public:
  ScopedEnv(const char* name, const char* value) : name_(name) {
    if (const char* old = std::getenv(name)) saved_ = old, had_ = true;
    if (value != nullptr) {
      setenv(name, value, 1);
    } else {
      unsetenv(name);
    }
  }
  ~ScopedEnv() {
    if (had_) {
      setenv(name_, saved_.c_str(), 1);
    } else {
      unsetenv(name_);
    }
  }

 private:
  const char* name_;
  std::string saved_;
  bool had_ = false;
};

// Runs the test from another directory, so that relative names open there.
class ScopedCwd {
 public:
  explicit ScopedCwd(const std::string& dir) {
    char buffer[4096];
    if (getcwd(buffer, sizeof buffer) == nullptr || chdir(dir.c_str()) != 0) std::abort();
    saved_ = buffer;
  }
  ~ScopedCwd() {
    if (chdir(saved_.c_str()) != 0) std::abort();
  }

 private:
  std::string saved_;
};
