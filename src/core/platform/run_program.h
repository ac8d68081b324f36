#pragma once
// Running a helper program and collecting what it prints.
#include <chrono>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tavrek::platform {

// The full path of the program: the first executable file of that name in a
// folder of PATH, else in /usr/bin; empty when there is none.
std::string FindProgram(std::string_view name);

// Runs `program` with `arguments` (argument 0 included), standard input and
// error on /dev/null, and returns its whole standard output when it exits
// with status 0. Nothing when it cannot be started, fails, prints more than
// `maxOutput` bytes or is still running after `timeout` (it is then killed).
std::optional<std::string> RunProgram(const std::string& program,
                                      const std::vector<std::string>& arguments,
                                      std::chrono::milliseconds timeout,
                                      size_t maxOutput = 64 * 1024 * 1024);

}  // namespace tavrek::platform
