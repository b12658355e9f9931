// Scoped changes to the process environment for tests: a guard sets or clears one variable and
// puts back what was there (set to its old value, or unset) when it goes out of scope, so no test
// leaks an environment change into the next one.
#pragma once

#include <cstdlib>
#include <optional>
#include <string>

namespace corvane::testing {

class env_guard {
 public:
  // Sets `name` to `value`; a null value unsets it.
  env_guard(const char *name, const char *value) : name_(name) {
    if (const char *old = std::getenv(name)) old_ = std::string(old);
    set(value);
  }
  env_guard(const char *name, const std::string &value) : env_guard(name, value.c_str()) {}
  env_guard(const env_guard &) = delete;
  env_guard &operator=(const env_guard &) = delete;
  ~env_guard() { set(old_ ? old_->c_str() : nullptr); }

  // Changes the value again while the guard still restores the original.
  void set(const char *value) const {
    if (value != nullptr) {
      setenv(name_.c_str(), value, 1);
    } else {
      unsetenv(name_.c_str());
    }
  }

 private:
  std::string name_;
  std::optional<std::string> old_;
};

}  // namespace corvane::testing
