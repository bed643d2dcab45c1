#pragma once

#include <cstdlib>
#include <ctime>
#include <optional>
#include <string>

// Sets (or, given nullptr, unsets) an environment variable for one test. The
// C library reads TZ again at once, so a time zone takes effect too.
class ScopedEnv {
 public:
  ScopedEnv(const char* name, const char* value) : name_(name) {
    if (const char* old = std::getenv(name)) saved_ = old;
    set(value);
  }
  ~ScopedEnv() { set(saved_ ? saved_->c_str() : nullptr); }

 private:
  void set(const char* value) {
    value != nullptr ? setenv(name_, value, 1) : unsetenv(name_);
    tzset();
  }
  const char* name_;
  std::optional<std::string> saved_;
};
