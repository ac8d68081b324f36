// tavrek-watch driven as a user drives it: through its command line, a pipe
// and signals.
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <vector>

#include "core/platform/cp1252.h"
#include "support/temp_folder.h"

extern char** environ;

namespace {

using tavrek::testing::TempFolder;
constexpr auto kLimit = std::chrono::seconds(10);

class WatchProcess {
 public:
  // `wrapper` runs before the program (unshare, say); `folder` is its current folder.
  explicit WatchProcess(std::vector<std::string> arguments,
                        std::vector<std::string> wrapper = {}, const std::string& folder = {}) {
    int out[2], err[2];
    EXPECT_EQ(pipe2(out, O_CLOEXEC), 0);
    EXPECT_EQ(pipe2(err, O_CLOEXEC), 0);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
    posix_spawn_file_actions_adddup2(&actions, err[1], STDERR_FILENO);
    if (!folder.empty()) posix_spawn_file_actions_addchdir_np(&actions, folder.c_str());
    arguments.insert(arguments.begin(), TAVREK_WATCH_BINARY);
    arguments.insert(arguments.begin(), wrapper.begin(), wrapper.end());
    std::vector<char*> argv;
    for (std::string& argument : arguments) argv.push_back(argument.data());
    argv.push_back(nullptr);
    EXPECT_EQ(posix_spawnp(&pid_, argv[0], &actions, nullptr, argv.data(), environ), 0);
    posix_spawn_file_actions_destroy(&actions);
    close(out[1]);
    close(err[1]);
    out_ = out[0];
    err_ = err[0];
  }
  ~WatchProcess() {
    if (pid_ > 0 && !exited_) {
      kill(pid_, SIGKILL);
      waitpid(pid_, nullptr, 0);
    }
    close(out_);
    close(err_);
  }

  // The next whole line of standard output, or nothing within the limit.
  std::optional<std::string> ReadLine() {
    const auto deadline = std::chrono::steady_clock::now() + kLimit;
    while (true) {
      if (size_t end = buffer_.find('\n'); end != std::string::npos) {
        std::string line = buffer_.substr(0, end);
        buffer_.erase(0, end + 1);
        return line;
      }
      const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
          deadline - std::chrono::steady_clock::now());
      pollfd fd{out_, POLLIN, 0};
      if (left.count() <= 0 || poll(&fd, 1, static_cast<int>(left.count())) <= 0) return std::nullopt;
      char chunk[4096];
      const ssize_t got = read(out_, chunk, sizeof chunk);
      if (got <= 0) return std::nullopt;
      buffer_.append(chunk, static_cast<size_t>(got));
    }
  }
  // The first line containing `text`.
  std::optional<std::string> ReadLineWith(const std::string& text) {
    while (auto line = ReadLine()) {
      if (line->find(text) != std::string::npos) return line;
    }
    return std::nullopt;
  }
  std::string ReadErrors() {
    std::string text;
    char chunk[4096];
    ssize_t got;
    while ((got = read(err_, chunk, sizeof chunk)) > 0) text.append(chunk, static_cast<size_t>(got));
    return text;
  }
  int Wait() {
    int status = 0;
    waitpid(pid_, &status, 0);
    exited_ = true;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }
  void Signal(int number) { kill(pid_, number); }

 private:
  pid_t pid_ = -1;
  int out_ = -1;
  int err_ = -1;
  bool exited_ = false;
  std::string buffer_;
};

std::vector<std::string> Fields(const std::string& line) {
  std::vector<std::string> fields;
  size_t start = 0;
  while (true) {
    size_t end = line.find('\t', start);
    fields.push_back(line.substr(start, end - start));
    if (end == std::string::npos) return fields;
    start = end + 1;
  }
}

TEST(WatchCliTest, BadCommandLinesExitTwoWithAMessage) {
  for (std::vector<std::string> arguments :
       {std::vector<std::string>{}, {"--bogus", "/tmp"}, {"--backend", "smoke", "/tmp"},
        {"--log-filter-mode", "7", "/tmp"}, {"--include"}}) {
    WatchProcess process(arguments);
    EXPECT_EQ(process.Wait(), 2);
    EXPECT_NE(process.ReadErrors().find("tavrek-watch: "), std::string::npos);
  }
}

TEST(WatchCliTest, CheckPrintsTheFilterDecisionPerPath) {
  WatchProcess process({"--exclude", "*.log;*.tmp", "--check", "/a/b.LOG", "/a/c.txt"});
  EXPECT_EQ(process.ReadLine(), "filtered\t/a/b.LOG");
  EXPECT_EQ(process.ReadLine(), "passes\t/a/c.txt");
  EXPECT_EQ(process.Wait(), 0);
}

TEST(WatchCliTest, PrintsEachRowAtOnceAndStopsCleanlyOnSignal) {
  for (int stopSignal : {SIGINT, SIGTERM}) {
    TempFolder folder;
    WatchProcess process({"--exclude", "*.skip", folder.path().string()});
    auto start = process.ReadLine();
    ASSERT_TRUE(start);
    std::vector<std::string> fields = Fields(*start);
    ASSERT_EQ(fields.size(), 6u) << *start;
    EXPECT_EQ(fields[1], "Starte Überwachung 8");
    EXPECT_EQ(fields[2], folder.path().string());

    folder.Write("a.skip");
    folder.Write("new file.txt", "data");
    auto created = process.ReadLineWith("\tErstellen\t");
    ASSERT_TRUE(created);
    fields = Fields(*created);
    EXPECT_EQ(fields[2], folder.path().string() + "/new file.txt");
    EXPECT_EQ(fields[6 - 1].substr(2), " (ID:0)");  // intern: position and kind

    process.Signal(stopSignal);
    auto stop = process.ReadLineWith("Stoppe Überwachung ");
    ASSERT_TRUE(stop);
    EXPECT_EQ(Fields(*stop)[2], folder.path().string());
    EXPECT_EQ(process.Wait(), 0);
  }
}

TEST(WatchCliTest, MissingFolderIsReportedAndTheRestWatched) {
  TempFolder folder;
  WatchProcess process({"--only", "rename,delete", (folder.path() / "missing").string(),
                        folder.path().string()});
  auto start = process.ReadLineWith("Starte Überwachung 2");
  ASSERT_TRUE(start);
  folder.Write("sub/deep.txt");  // --only names kinds of change; sub-folders stay watched
  EXPECT_TRUE(process.ReadLineWith("/sub/deep.txt"));
  process.Signal(SIGTERM);
  EXPECT_EQ(process.Wait(), 0);
  EXPECT_NE(process.ReadErrors().find("missing (Fehler)"), std::string::npos);
}

TEST(WatchCliTest, FoldersThatCannotBeWatchedAreErrors) {
  TempFolder folder;
  const std::string file = folder.Write("plain.txt");
  struct Case {
    std::vector<std::string> arguments;
    int exitCode;
    std::string message;
  };
  const Case cases[] = {
      {{""}, 2, "empty folder name"},
      {{(folder.path() / "missing").string(), file}, 1, "no folder can be watched"},
  };
  for (const Case& test : cases) {
    WatchProcess process(test.arguments);
    EXPECT_EQ(process.Wait(), test.exitCode);
    const std::string errors = process.ReadErrors();
    EXPECT_NE(errors.find(test.message), std::string::npos) << errors;
    EXPECT_EQ(errors.find("terminate"), std::string::npos) << errors;
  }
}

TEST(WatchCliTest, ForcedFanotifyThatCannotStartIsAnError) {
  // Inside a user namespace of its own even root may not mark a file system.
  std::vector<std::string> wrapper;
  if (geteuid() == 0) {
    WatchProcess probe({"--help"}, {"unshare", "--user", "--map-root-user"});
    if (probe.Wait() != 0) GTEST_SKIP() << "no user namespace here";
    wrapper = {"unshare", "--user", "--map-root-user"};
  }
  TempFolder folder;
  WatchProcess process({"--backend", "fanotify", folder.path().string()}, wrapper);
  EXPECT_EQ(process.Wait(), 2);
  EXPECT_NE(process.ReadErrors().find("fanotify cannot watch"), std::string::npos);
}

TEST(WatchCliTest, AFolderIsOneArgumentCommasAndAllMadeAbsolute) {
  TempFolder folder;
  folder.Write("wf,comma/.keep");
  WatchProcess process({"--only", "creation", "./x/../wf,comma/"}, {}, folder.path().string());
  const std::string watched = folder.path().string() + "/wf,comma";
  auto start = process.ReadLine();
  ASSERT_TRUE(start);
  EXPECT_EQ(Fields(*start)[2], watched);
  process.Signal(SIGTERM);
  // One folder only: every status row names it.
  while (auto line = process.ReadLine()) EXPECT_EQ(Fields(*line)[2], watched) << *line;
  EXPECT_EQ(process.Wait(), 0);
  EXPECT_EQ(process.ReadErrors(), "");
}

TEST(WatchCliTest, HostileNamesArePrintedAsValidEscapedLines) {
  TempFolder folder;
  WatchProcess process({"--only", "rename", folder.path().string()});
  ASSERT_TRUE(process.ReadLineWith("Starte Überwachung"));
  folder.Write("a\x1b[2Jb\\c\xff\td\ne");
  auto created = process.ReadLineWith("\tErstellen\t");
  ASSERT_TRUE(created);
  EXPECT_TRUE(tavrek::platform::IsValidUtf8(*created));
  EXPECT_EQ(Fields(*created)[2], folder.path().string() + "/a\\x1b[2Jb\\\\c\\xff\\x09d\\x0ae");
  process.Signal(SIGTERM);
  EXPECT_EQ(process.Wait(), 0);
}

TEST(WatchCliTest, EndsWithExitOneWhenEveryFolderHasGone) {
  TempFolder folder;
  const std::string watched = folder.path().string() + "/gone";
  folder.Write("gone/.keep");
  WatchProcess process({"--only", "rename", watched});
  ASSERT_TRUE(process.ReadLineWith("Starte Überwachung"));
  std::filesystem::remove_all(watched);
  EXPECT_TRUE(process.ReadLineWith("\tAbbruch\t"));
  EXPECT_EQ(process.Wait(), 1);
  EXPECT_NE(process.ReadErrors().find("nothing is left to watch"), std::string::npos);
}

}  // namespace
