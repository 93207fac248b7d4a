#pragma once
// An environment variable changed for one scope of a test: what was there is put back at its end.
#include <cstdlib>
#include <optional>
#include <string>

class ScopedEnv {
 public:
  // Only keeps the value, for a test that changes it itself.
  explicit ScopedEnv(const char* name) : name_(name) {
    if (const char* old = std::getenv(name)) old_ = old;
  }
  // Sets the value, or removes the variable when value is null.
  ScopedEnv(const char* name, const char* value) : ScopedEnv(name) {
    if (value)
      ::setenv(name, value, 1);
    else
      ::unsetenv(name);
  }
  ~ScopedEnv() {
    if (old_)
      ::setenv(name_, old_->c_str(), 1);
    else
      ::unsetenv(name_);
  }
  ScopedEnv(const ScopedEnv&) = delete;
  ScopedEnv& operator=(const ScopedEnv&) = delete;

 private:
  const char* name_;
  std::optional<std::string> old_;
};
