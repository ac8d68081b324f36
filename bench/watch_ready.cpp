// Time until a recursive watch of a folder is set up by one folder source
// with every watcher kind running, and the process's resident memory then:
//   watch_ready FOLDER inotify|fanotify
// Prints "ready_ms X rss_kib Y backend NAME"; exits 1 when the folder cannot be
// watched or the requested backend was not the one used.
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>
#include <thread>

#include "child_process.h"
#include "core/engine/backend_type.h"
#include "core/engine/event_queue.h"
#include "core/engine/source/folder_source.h"
#include "core/engine/watch_options.h"

namespace {

using namespace tavrek;
using bench::Clock;

// Short enough not to blur a start that takes milliseconds, long enough not
// to take a core from the walking thread on a small machine.
constexpr auto kReadyPoll = std::chrono::microseconds(200);
constexpr auto kReadyBound = std::chrono::minutes(10);

std::string NormalisedFolder(const std::string& path) {
  std::string folder = std::filesystem::absolute(path).lexically_normal().string();
  while (folder.size() > 1 && folder.back() == '/') folder.pop_back();
  return folder == "/" ? folder : folder + "/";
}

bool WaitReady(const engine::FolderSource& source) {
  const Clock::time_point bound = Clock::now() + kReadyBound;
  while (!source.Ready()) {
    if (Clock::now() >= bound) return false;
    std::this_thread::sleep_for(kReadyPoll);
  }
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  const auto backend = argc == 3 ? engine::ParseBackendName(argv[2]) : std::nullopt;
  if (!backend || *backend == engine::BackendType::Automatic) {
    std::fprintf(stderr, "usage: %s FOLDER inotify|fanotify\n", argv[0]);
    return 2;
  }
  engine::FolderSourceSettings settings;
  settings.folder = NormalisedFolder(argv[1]);
  settings.subtree = true;
  settings.kinds = engine::KindsToStart(engine::WatchOptions{});
  settings.backend = *backend;
  auto queue = std::make_shared<engine::EventQueue>();

  const Clock::time_point start = Clock::now();
  auto source = engine::FolderSource::Start(settings, queue);
  const bool ready = WaitReady(*source);
  const double elapsed = bench::Milliseconds(Clock::now() - start);
  const long residentKib = bench::ResidentKib(getpid());
  if (!ready || source->Finished()) {
    std::fprintf(stderr, "%s: not watchable\n", settings.folder.c_str());
    return 1;
  }
  if (source->backend() != *backend) {
    std::fprintf(stderr, "backend %s was used instead\n",
                 std::string(engine::BackendName(source->backend())).c_str());
    return 1;
  }
  std::printf("ready_ms %.1f rss_kib %ld backend %s\n", elapsed, residentKib, argv[2]);
  return 0;
}
