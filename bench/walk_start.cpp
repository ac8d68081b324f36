// Time to set up a recursive inotify watch of a folder, for comparison with
// `find FOLDER -type d` and other watchers' start-up:
//   walk_start FOLDER [access]
#include <chrono>
#include <cstdio>
#include <fstream>
#include <string>
#include <thread>

#include "core/engine/backend/backend.h"

namespace {

// Watches of an inotify descriptor, as the kernel lists them.
int CountWatches(int fd) {
  std::ifstream info("/proc/self/fdinfo/" + std::to_string(fd));
  int watches = 0;
  for (std::string line; std::getline(info, line);) {
    if (line.starts_with("inotify wd:")) ++watches;
  }
  return watches;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: %s FOLDER [access]\n", argv[0]);
    return 2;
  }
  tavrek::engine::BackendSettings settings;
  settings.folder = std::string(argv[1]) + "/";
  settings.wantAccess = argc > 2 && std::string(argv[2]) == "access";
  auto backend = tavrek::engine::MakeInotifyBackend();
  std::string error;
  const auto start = std::chrono::steady_clock::now();
  // On a thread of its own, as a watch runs in the program.
  bool started = false;
  std::thread([&] { started = backend->Start(settings, error); }).join();
  if (!started) {
    std::fprintf(stderr, "%s\n", error.c_str());
    return 1;
  }
  const auto elapsed = std::chrono::steady_clock::now() - start;
  std::printf("%d watches in %.1f ms\n", CountWatches(backend->PollFds().front()),
              std::chrono::duration<double, std::milli>(elapsed).count());
  return 0;
}
