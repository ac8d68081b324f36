#pragma once
// Sets (or, given nullptr, unsets) an environment variable for the life of the object.
#include <stdlib.h>

#include <optional>
#include <string>

namespace tavrek::testing {

class ScopedEnvironment {
 public:
  ScopedEnvironment(const char* name, const char* value) : name_(name) {
    if (const char* old = getenv(name)) old_ = old;
    value == nullptr ? unsetenv(name) : setenv(name, value, 1);
  }
  ~ScopedEnvironment() { old_ ? setenv(name_, old_->c_str(), 1) : unsetenv(name_); }
  ScopedEnvironment(const ScopedEnvironment&) = delete;
  ScopedEnvironment& operator=(const ScopedEnvironment&) = delete;

 private:
  const char* name_;
  std::optional<std::string> old_;
};

}  // namespace tavrek::testing
