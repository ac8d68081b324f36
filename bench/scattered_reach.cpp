// How long files written in random leaves of a large tree take to reach a
// watcher's output, where polling has to find them:
//   scattered_reach MADE SEEN [--folders N] [--files F] [--spread-ms M]
//                   [--watch-limit L] -- COMMAND...
// Makes a tree of N folders (default 5,000: 50 folders of 99 leaves, 10 files
// each) below MADE, starts COMMAND (a watcher of SEEN, which shows MADE: the
// same folder, or a FUSE mount of it), waits for its first line, then creates
// F files (100) in random leaves, one every M ms (0: all at once), and times
// until a line names each under SEEN. With --watch-limit everything runs in a
// user namespace of its own whose inotify watch limit is L (root only: every
// user is mapped, so COMMAND may switch to nobody with setpriv); the machine's
// setting stays as it is. Prints the watcher's coverage rows, then
// "files F seen S p50_ms X max_ms Y last_after_ms Z" (Z: from the first file
// made to the last line).
#include <fcntl.h>
#include <sched.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include "child_process.h"

namespace {

using namespace tavrek::bench;

constexpr size_t kTopFolders = 50;
constexpr size_t kFilesPerLeaf = 10;
constexpr auto kReadyBound = std::chrono::minutes(10);
constexpr auto kTailBound = std::chrono::seconds(60);
constexpr std::string_view kCoverageText = "Überwachung: ";
constexpr mode_t kFolderMode = 0755;
constexpr mode_t kFileMode = 0644;
constexpr double kP50 = 0.50;
constexpr unsigned kSeed = 20261207;

struct Options {
  std::string made;
  std::string seen;
  size_t folders = 5000;
  size_t files = 100;
  std::chrono::milliseconds spread{0};
  std::string watchLimit;
  std::vector<std::string> command;
};

std::optional<Options> ParseOptions(const std::vector<std::string>& arguments) {
  if (arguments.size() < 2) return std::nullopt;
  Options options;
  options.made = arguments[0];
  options.seen = arguments[1];
  size_t i = 2;
  for (; i + 1 < arguments.size() && arguments[i] != "--"; i += 2) {
    const std::string& value = arguments[i + 1];
    if (arguments[i] == "--folders") {
      options.folders = std::strtoull(value.c_str(), nullptr, 10);
    } else if (arguments[i] == "--files") {
      options.files = std::strtoull(value.c_str(), nullptr, 10);
    } else if (arguments[i] == "--spread-ms") {
      options.spread = std::chrono::milliseconds(std::strtol(value.c_str(), nullptr, 10));
    } else if (arguments[i] == "--watch-limit") {
      options.watchLimit = value;
    } else {
      return std::nullopt;
    }
  }
  if (i >= arguments.size() || arguments[i] != "--") return std::nullopt;
  options.command.assign(arguments.begin() + static_cast<std::ptrdiff_t>(i + 1), arguments.end());
  if (options.command.empty() || options.files == 0 || options.folders < 2 * kTopFolders) {
    return std::nullopt;
  }
  return options;
}

bool WriteText(const std::string& path, const std::string& text) {
  const int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, kFileMode);
  if (fd < 0) return false;
  const bool written = write(fd, text.data(), text.size()) == static_cast<ssize_t>(text.size());
  return close(fd) == 0 && written;
}

// The leaves, relative to the root: "t07/l42/".
std::vector<std::string> MakeTree(const std::string& root, size_t folders) {
  const size_t leavesPerTop = folders / kTopFolders - 1;
  std::vector<std::string> leaves;
  chmod(root.c_str(), kFolderMode);
  for (size_t top = 0; top < kTopFolders; ++top) {
    const std::string topName = "t" + std::to_string(top) + "/";
    mkdir((root + "/" + topName).c_str(), kFolderMode);
    for (size_t leaf = 0; leaf < leavesPerTop; ++leaf) {
      const std::string name = topName + "l" + std::to_string(leaf) + "/";
      mkdir((root + "/" + name).c_str(), kFolderMode);
      for (size_t file = 0; file < kFilesPerLeaf; ++file) {
        WriteText(root + "/" + name + "f" + std::to_string(file), "x");
      }
      leaves.push_back(name);
    }
  }
  return leaves;
}

// Each probe's path under SEEN, when it was made and when its line came.
struct Probe {
  std::string seenPath;
  Clock::time_point made{};
  std::optional<Clock::time_point> reported;
};

class Probes {
 public:
  void Add(std::string seenPath) {
    Probe probe;
    probe.seenPath = std::move(seenPath);
    probes_.push_back(std::move(probe));
  }
  Probe& operator[](size_t index) { return probes_[index]; }
  size_t size() const { return probes_.size(); }
  size_t seen() const { return seen_; }

  void Line(std::string_view line, Clock::time_point at) {
    if (line.find(kCoverageText) != std::string_view::npos) coverage_.emplace_back(line);
    for (Probe& probe : probes_) {
      if (probe.reported || probe.made == Clock::time_point{}) continue;
      if (line.find(probe.seenPath) == std::string_view::npos) continue;
      probe.reported = at;
      ++seen_;
    }
  }
  const std::vector<std::string>& coverage() const { return coverage_; }

  void Print() const {
    std::vector<double> latencies;
    Clock::time_point first = Clock::time_point::max();
    Clock::time_point last{};
    for (const Probe& probe : probes_) {
      first = std::min(first, probe.made);
      if (!probe.reported) continue;
      latencies.push_back(Milliseconds(*probe.reported - probe.made));
      last = std::max(last, *probe.reported);
    }
    std::sort(latencies.begin(), latencies.end());
    if (latencies.empty()) latencies.push_back(std::nan(""));
    const auto rank = static_cast<size_t>(std::ceil(kP50 * static_cast<double>(latencies.size())));
    std::printf("files %zu seen %zu p50_ms %.0f max_ms %.0f last_after_ms %.0f\n", probes_.size(),
                seen_, latencies[std::max<size_t>(rank, 1) - 1], latencies.back(),
                seen_ > 0 ? Milliseconds(last - first) : std::nan(""));
  }

 private:
  std::vector<Probe> probes_;
  std::vector<std::string> coverage_;
  size_t seen_ = 0;
};

bool ReadUntil(ChildProcess& child, Probes& probes, Clock::time_point until, bool untilAllSeen) {
  const auto onLine = [&probes](Stream, std::string_view line, Clock::time_point at) {
    probes.Line(line, at);
  };
  while (Clock::now() < until) {
    if (untilAllSeen && probes.seen() == probes.size()) return true;
    if (!child.ReadLines(until, onLine)) return false;
  }
  return true;
}

// Until the watcher's first line on standard output, which it writes once
// every watch is set up; the coverage told before it is kept.
bool WaitUntilReady(ChildProcess& child, Probes& probes) {
  bool ready = false;
  const auto onLine = [&](Stream stream, std::string_view line, Clock::time_point at) {
    probes.Line(line, at);
    ready = ready || stream == Stream::kOut;
  };
  const Clock::time_point bound = Clock::now() + kReadyBound;
  while (!ready && Clock::now() < bound && child.ReadLines(bound, onLine)) {
  }
  return ready;
}

int Measure(const Options& options) {
  const std::vector<std::string> leaves = MakeTree(options.made, options.folders);
  std::string error;
  auto child = ChildProcess::Spawn(options.command, error);
  if (!child) {
    std::fprintf(stderr, "%s\n", error.c_str());
    return 1;
  }
  Probes probes;
  if (!WaitUntilReady(*child, probes)) {
    std::fprintf(stderr, "%s: never ready\n", options.command[0].c_str());
    return 1;
  }
  std::mt19937 random(kSeed);
  std::uniform_int_distribution<size_t> pick(0, leaves.size() - 1);
  std::vector<std::string> madePaths;
  for (size_t i = 0; i < options.files; ++i) {
    char number[32];
    std::snprintf(number, sizeof number, "reach-%06zu", i);  // no name begins another
    const std::string name = leaves[pick(random)] + number;
    probes.Add(options.seen + "/" + name);
    madePaths.push_back(options.made + "/" + name);
  }
  const Clock::time_point start = Clock::now();
  bool lasted = true;
  for (size_t i = 0; i < options.files && lasted; ++i) {
    lasted = ReadUntil(*child, probes, start + options.spread * static_cast<int64_t>(i), false);
    probes[i].made = Clock::now();
    if (!WriteText(madePaths[i], "x")) std::perror(madePaths[i].c_str());
  }
  lasted = lasted && ReadUntil(*child, probes, Clock::now() + kTailBound, true);
  child->Stop();
  for (const std::string& line : probes.coverage()) std::printf("%s\n", line.c_str());
  probes.Print();
  return lasted ? 0 : 1;
}

// Enters a user namespace in which every user is mapped and the inotify watch
// limit is `limit`: the parent maps the child and hands on its exit code.
int InNamespace(const std::string& limit, const std::function<int()>& body) {
  int entered[2], mapped[2];
  if (pipe(entered) != 0 || pipe(mapped) != 0) return 1;
  const pid_t child = fork();
  if (child < 0) return 1;
  char byte = 0;
  if (child == 0) {
    byte = unshare(CLONE_NEWUSER) == 0 ? 1 : 0;
    if (write(entered[1], &byte, 1) != 1 || read(mapped[0], &byte, 1) != 1 || byte != 1) _exit(1);
    if (!WriteText("/proc/sys/user/max_inotify_watches", limit)) {
      std::perror("max_inotify_watches");
      _exit(1);
    }
    const int code = body();
    std::fflush(stdout);
    _exit(code);
  }
  const std::string proc = "/proc/" + std::to_string(child);
  byte = read(entered[0], &byte, 1) == 1 && byte == 1 &&
                 WriteText(proc + "/uid_map", "0 0 4294967295") &&
                 WriteText(proc + "/gid_map", "0 0 4294967295")
             ? 1
             : 0;
  if (byte == 0) std::fprintf(stderr, "no user namespace with every user mapped here\n");
  if (write(mapped[1], &byte, 1) != 1) return 1;
  int status = 0;
  waitpid(child, &status, 0);
  return WIFEXITED(status) ? WEXITSTATUS(status) : 1;
}

}  // namespace

int main(int argc, char** argv) {
  const auto options = ParseOptions(std::vector<std::string>(argv + 1, argv + argc));
  if (!options) {
    std::fprintf(stderr,
                 "usage: %s MADE SEEN [--folders N] [--files F] [--spread-ms M] "
                 "[--watch-limit L] -- COMMAND...\n",
                 argv[0]);
    return 2;
  }
  if (options->watchLimit.empty()) return Measure(*options);
  return InNamespace(options->watchLimit, [&] { return Measure(*options); });
}
