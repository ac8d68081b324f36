// tavrek-watch and setup documents: printing, saving and watching one.
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <chrono>
#include <fstream>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "support/temp_folder.h"

extern char** environ;

namespace {

using tavrek::testing::TempFolder;
constexpr int kLimitMs = 10000;

// tavrek-watch with its standard output and error read through pipes.
class CliRun {
 public:
  explicit CliRun(std::vector<std::string> arguments) {
    int out[2], err[2];
    EXPECT_EQ(pipe2(out, O_CLOEXEC), 0);
    EXPECT_EQ(pipe2(err, O_CLOEXEC), 0);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
    posix_spawn_file_actions_adddup2(&actions, err[1], STDERR_FILENO);
    arguments.insert(arguments.begin(), TAVREK_WATCH_BINARY);
    std::vector<char*> argv;
    for (std::string& argument : arguments) argv.push_back(argument.data());
    argv.push_back(nullptr);
    EXPECT_EQ(posix_spawn(&pid_, argv[0], &actions, nullptr, argv.data(), environ), 0);
    posix_spawn_file_actions_destroy(&actions);
    close(out[1]);
    close(err[1]);
    out_ = out[0];
    err_ = err[0];
  }
  ~CliRun() {
    if (pid_ > 0 && !exited_) {
      kill(pid_, SIGKILL);
      waitpid(pid_, nullptr, 0);
    }
    close(out_);
    close(err_);
  }
  // Lines of standard output until one contains `text`; nothing at the end or after the limit.
  std::optional<std::string> LineWith(const std::string& text) {
    while (true) {
      for (size_t end; (end = buffer_.find('\n')) != std::string::npos;) {
        std::string line = buffer_.substr(0, end);
        buffer_.erase(0, end + 1);
        seen_ += line + "\n";
        if (line.find(text) != std::string::npos) return line;
      }
      if (!ReadMore()) return std::nullopt;
    }
  }
  // Everything on standard output, then the exit code.
  int Finish(std::string& output) {
    while (ReadMore()) {}
    output = buffer_;
    int status = 0;
    waitpid(pid_, &status, 0);
    exited_ = true;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }
  std::string Errors() {
    std::string text;
    char chunk[4096];
    for (ssize_t got; (got = read(err_, chunk, sizeof chunk)) > 0;) text.append(chunk, static_cast<size_t>(got));
    return text;
  }
  void Signal(int number) { kill(pid_, number); }
  // The lines LineWith went through.
  const std::string& seen() const { return seen_; }

 private:
  bool ReadMore() {
    pollfd fd{out_, POLLIN, 0};
    if (poll(&fd, 1, kLimitMs) <= 0) return false;
    char chunk[4096];
    const ssize_t got = read(out_, chunk, sizeof chunk);
    if (got <= 0) return false;
    buffer_.append(chunk, static_cast<size_t>(got));
    return true;
  }

  pid_t pid_ = -1;
  int out_ = -1;
  int err_ = -1;
  bool exited_ = false;
  std::string buffer_;
  std::string seen_;
};

std::string Bytes(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

int Exit(std::vector<std::string> arguments, std::string* output = nullptr) {
  CliRun run(std::move(arguments));
  std::string ignored;
  return run.Finish(output ? *output : ignored);
}

TEST(WatchCliSetupTest, ShowSetupPrintsTheRowsAWindowWouldLoad) {
  TempFolder folder;
  const auto document = folder.Write(
      "a.tvk", "[dir]\r\n/srv/b\r\n/srv/A\r\n/srv/Tab\there\r\n[Filter]\r\n*.bak\r\n*.log=1=1\r\n"
               "[Optionen]\r\nLoeschen=0\r\nStartWatch=1\r\nfilter_typ=1\r\n");
  std::string output;
  EXPECT_EQ(Exit({"--show-setup", document.string()}, &output), 0);
  EXPECT_EQ(output,
            "folder\t/srv/A\nfolder\t/srv/Tab\\x09here\nfolder\t/srv/b\n"
            "filter\t*.bak\t0\tNur diese Dateien überwachen\n"
            "filter\t*.log\t1\tDiese Dateien nicht überwachen\n"
            "option\tUmbennen\t1\noption\tLoeschen\t0\noption\tSchreiben\t1\noption\tZugriff\t1\n"
            "option\tDateigroesse\t1\noption\tAtribute\t1\noption\tSicherheit\t1\n"
            "option\tErstellzeit\t1\noption\tUnterverzeichnise\t1\nStartWatch\t1\nfilter_typ\t1\n");

  const std::string fifo = (folder / "fifo.tvk").string();
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
  for (const std::string& bad : {(folder / "missing.tvk").string(), fifo}) {
    CliRun run({"--show-setup", bad});
    EXPECT_EQ(run.Finish(output), 1) << bad;
    EXPECT_EQ(output, "");
    EXPECT_NE(run.Errors().find("tavrek-watch: cannot open " + bad), std::string::npos);
  }
}

TEST(WatchCliSetupTest, SaveSetupWritesTheDocumentAndReplacesOnlyWithForce) {
  TempFolder folder;
  const std::string base = (folder / "saved").string();
  const std::vector<std::string> arguments{
      "--save-setup", base, "--exclude", "*.tmp;*.log", "--no-size", "--log-filter-mode", "1",
      (folder / "b").string(), (folder / "a").string()};
  EXPECT_EQ(Exit(arguments), 0);
  const std::string expected =
      "[DIR]\r\n" + (folder / "a").string() + "\r\n" + (folder / "b").string() + "\r\n" +
      "[Filter]\r\n*.tmp=1=1\r\n*.log=1=1\r\n[Optionen]\r\nUmbennen=1\r\nLoeschen=1\r\n"
      "Schreiben=1\r\nZugriff=1\r\nDateigroesse=0\r\nAtribute=1\r\nSicherheit=1\r\n"
      "Erstellzeit=1\r\nUnterverzeichnise=1\r\nStartWatch=0\r\nfilter_typ=1\r\n";
  EXPECT_EQ(Bytes(base + ".tvk"), expected);

  CliRun otherCase({"--save-setup", base + ".TVK", "--start-watch", folder.path().string()});
  std::string output;
  EXPECT_EQ(otherCase.Finish(output), 0) << "another name: .TVK is kept as it is";
  CliRun again({"--save-setup", base, "--start-watch", folder.path().string()});
  EXPECT_EQ(again.Finish(output), 1);
  EXPECT_NE(again.Errors().find("exists already"), std::string::npos);
  EXPECT_EQ(Bytes(base + ".tvk"), expected);

  EXPECT_EQ(Exit({"--save-setup", base, "--force", "--start-watch", folder.path().string()}), 0);
  EXPECT_NE(Bytes(base + ".tvk").find("\r\nStartWatch=1\r\nfilter_typ=0\r\n"), std::string::npos);
}

TEST(WatchCliSetupTest, WatchesWhatTheDocumentSaysWithTheCommandLineOnTop) {
  TempFolder folder;
  TempFolder watched;
  const auto document = folder.Write(
      "w.tvk", "[DIR]\r\n" + watched.path().string() + "\r\n[Filter]\r\n*.skip=1=1\r\n"
               "[Optionen]\r\nUnterverzeichnise=0\r\n");
  CliRun run({"--setup", document.string(), "--exclude", "*.also"});
  ASSERT_TRUE(run.LineWith("Starte Überwachung"));
  watched.Write("a.skip");
  watched.Write("b.also");
  watched.Write("sub/deep.txt");  // sub-folders are off in the document
  watched.Write("kept.txt");
  const auto kept = run.LineWith("kept.txt");
  ASSERT_TRUE(kept);
  run.Signal(SIGTERM);
  std::string rest;
  EXPECT_EQ(run.Finish(rest), 0);
  for (const char* hidden : {"a.skip", "b.also", "deep.txt"}) {
    EXPECT_EQ((run.seen() + rest).find(hidden), std::string::npos) << hidden;
  }
  EXPECT_EQ(Exit({"--setup", (folder / "missing.tvk").string()}), 2);
}

}  // namespace
