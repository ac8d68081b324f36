#pragma once
// tavrek-watch run as a child with its standard output and error on pipes;
// killed if the test ends before the program does.
#include <sys/types.h>

#include <chrono>
#include <optional>
#include <string>
#include <vector>

namespace tavrek::testing {

class WatchProcess {
 public:
  // `wrapper` runs before the program (unshare, say); `folder` is its current folder.
  explicit WatchProcess(std::vector<std::string> arguments,
                        const std::vector<std::string>& wrapper = {},
                        const std::string& folder = {});
  ~WatchProcess();
  WatchProcess(const WatchProcess&) = delete;
  WatchProcess& operator=(const WatchProcess&) = delete;

  // The next whole line of standard output; nothing at its end or after the limit.
  std::optional<std::string> ReadLine();
  // The first of the next lines that contains `text`.
  std::optional<std::string> ReadLineWith(const std::string& text);
  // Every line read so far, each ended by "\n".
  const std::string& seen() const { return seen_; }
  // Standard output not read yet, up to its end.
  std::string ReadRest();
  // All of standard error; waits until the program closes it.
  std::string ReadErrors();
  void Signal(int number);
  // Closes the reading end of standard output, as a reader that went away does.
  void CloseOutput();
  // The exit code once the program has ended, -1 if a signal ended it.
  int Wait();

 private:
  // Adds what standard output has within `wait` to the buffer; false at its end.
  bool ReadMore(std::chrono::milliseconds wait);

  pid_t pid_ = -1;
  int out_ = -1;
  int err_ = -1;
  bool exited_ = false;
  std::string buffer_;
  std::string seen_;
};

}  // namespace tavrek::testing
