// How often the deletions of a subfolder and the file in it are reported as
// they happened, when they happen right after the watch is ready:
//   delete_race inotify|fanotify [TRIALS] [whole]
// Each trial makes a fresh folder holding sub/f.txt, starts a folder source
// (every kind running), waits until it is ready and removes sub with its file
// at once (with "whole", the watched folder itself). Then it waits until a
// marker file created afterwards is reported (or, with "whole", until the
// source ended) and sorts what arrived. Prints one count per outcome.
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <thread>

#include "core/engine/backend_type.h"
#include "core/engine/event_queue.h"
#include "core/engine/source/folder_source.h"
#include "core/engine/watch_options.h"

namespace {

using namespace tavrek;
using Clock = std::chrono::steady_clock;

constexpr int kDefaultTrials = 100;
constexpr auto kPoll = std::chrono::milliseconds(1);
constexpr auto kBound = std::chrono::seconds(10);

struct Trial {
  std::string folder;  // ends in "/"
  std::unique_ptr<engine::FolderSource> source;
  std::shared_ptr<engine::EventQueue> queue = std::make_shared<engine::EventQueue>();
  std::vector<engine::ChangeEvent> events;

  void Collect() {
    std::vector<engine::EventBatch> batches;
    queue->TakeAll(batches);
    for (auto& batch : batches) {
      for (auto& event : batch.events) events.push_back(std::move(event));
    }
  }
  bool Saw(engine::Action action, const std::string& path) const {
    for (const auto& event : events) {
      if (event.action == action && event.path == path) return true;
    }
    return false;
  }
  bool SawPathContaining(std::string_view text) const {
    for (const auto& event : events) {
      if (event.path.find(text) != std::string::npos) return true;
    }
    return false;
  }
};

template <typename Condition>
bool WaitFor(Trial& trial, Condition condition) {
  const Clock::time_point bound = Clock::now() + kBound;
  for (trial.Collect(); !condition(); trial.Collect()) {
    if (Clock::now() >= bound) return false;
    std::this_thread::sleep_for(kPoll);
  }
  return true;
}

bool Begin(Trial& trial, engine::BackendType backend, int index) {
  const auto base = std::filesystem::temp_directory_path() /
                    ("tavrek-delete-race-" + std::to_string(getpid()) + "-" +
                     std::to_string(index));
  std::filesystem::create_directories(base / "sub");
  std::ofstream(base / "sub" / "f.txt") << "x";
  trial.folder = base.string() + "/";
  engine::FolderSourceSettings settings;
  settings.folder = trial.folder;
  settings.kinds = engine::KindsToStart(engine::WatchOptions{});
  settings.backend = backend;
  trial.source = engine::FolderSource::Start(settings, trial.queue);
  return WaitFor(trial, [&] { return trial.source->Ready(); }) && !trial.source->Finished();
}

// Removes and waits until everything the removal caused has arrived.
bool RemoveAndSettle(Trial& trial, bool whole) {
  const std::string marker = trial.folder + "marker";
  std::filesystem::remove_all(whole ? trial.folder : trial.folder + "sub");
  if (whole) return WaitFor(trial, [&] { return trial.source->Finished(); });
  std::ofstream(marker) << "";
  return WaitFor(trial, [&] { return trial.Saw(engine::Action::kCreated, marker); });
}

std::string Outcome(const Trial& trial) {
  const bool file = trial.Saw(engine::Action::kDeleted, trial.folder + "sub/f.txt");
  const bool sub = trial.Saw(engine::Action::kDeleted, trial.folder + "sub");
  if (trial.SawPathContaining(" (deleted)")) return "a path with \" (deleted)\" in it";
  if (file && sub) return "both deletions reported";
  if (sub) return "file deletion lost";
  if (file) return "folder deletion lost";
  return "both deletions lost";
}

}  // namespace

int main(int argc, char** argv) {
  const auto backend = argc >= 2 ? engine::ParseBackendName(argv[1]) : std::nullopt;
  if (!backend || *backend == engine::BackendType::Automatic) {
    std::fprintf(stderr, "usage: %s inotify|fanotify [TRIALS] [whole]\n", argv[0]);
    return 2;
  }
  const int trials = argc >= 3 ? std::atoi(argv[2]) : kDefaultTrials;
  const bool whole = argc >= 4 && std::string(argv[3]) == "whole";
  std::map<std::string, int> outcomes;
  for (int index = 0; index < trials; ++index) {
    Trial trial;
    const bool ran = Begin(trial, *backend, index) && RemoveAndSettle(trial, whole);
    ++outcomes[ran ? Outcome(trial) : "watch never settled"];
    trial.source.reset();
    std::filesystem::remove_all(trial.folder);
  }
  for (const auto& [outcome, count] : outcomes) std::printf("%5d  %s\n", count, outcome.c_str());
  return 0;
}
