// tavrek-watch --export: the change log written when the watch stops.
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <chrono>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "support/temp_folder.h"

extern char** environ;

namespace {

using tavrek::testing::TempFolder;
constexpr int kLimitMs = 10000;

// The console program with its output on pipes; killed if the test ends early.
class Watch {
 public:
  explicit Watch(std::vector<std::string> arguments) {
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
  ~Watch() {
    if (pid_ > 0 && !exited_) {
      kill(pid_, SIGKILL);
      waitpid(pid_, nullptr, 0);
    }
    close(out_);
    close(err_);
  }
  // Reads standard output until `text` has appeared (or the output ends).
  bool WaitFor(const std::string& text) {
    while (seen_.find(text) == std::string::npos) {
      pollfd fd{out_, POLLIN, 0};
      char chunk[4096];
      if (poll(&fd, 1, kLimitMs) <= 0) return false;
      const ssize_t got = read(out_, chunk, sizeof chunk);
      if (got <= 0) return false;
      seen_.append(chunk, static_cast<size_t>(got));
    }
    return true;
  }
  std::string Errors() {
    std::string text;
    char chunk[4096];
    ssize_t got;
    while ((got = read(err_, chunk, sizeof chunk)) > 0) text.append(chunk, static_cast<size_t>(got));
    return text;
  }
  int StopAndWait() {
    kill(pid_, SIGTERM);
    return Wait();
  }
  int Wait() {
    int status = 0;
    waitpid(pid_, &status, 0);
    exited_ = true;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }

 private:
  pid_t pid_ = -1;
  int out_ = -1;
  int err_ = -1;
  bool exited_ = false;
  std::string seen_;
};

std::string ReadFile(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

TEST(WatchCliExportTest, TheLogIsWrittenAtTheStopInEachFormatAsked) {
  TempFolder watched;
  TempFolder out;
  const std::string csv = (out / "log.CSV").string();
  const std::string xls = (out / "log.xls").string();
  const std::string unwritable = (out / "no such folder" / "log.txt").string();
  Watch watch({"--export", csv, "--export", unwritable, "--export", xls, watched.path().string()});
  ASSERT_TRUE(watch.WaitFor("Starte Überwachung"));
  watched.Write("new;file.txt", "data");
  ASSERT_TRUE(watch.WaitFor("/new;file.txt"));
  EXPECT_EQ(watch.StopAndWait(), 1);  // one of the three could not be written
  EXPECT_NE(watch.Errors().find("no such folder/log.txt"), std::string::npos);

  const std::string text = ReadFile(csv);
  // Every column of the log, each in quotes and followed by ";", lines CR LF.
  EXPECT_EQ(text.substr(0, text.find("\r\n")),
            "\"\";\"Zeit\";\"Aktion\";\"Name\";\"Name alt\";\"User (Beta)\";\"Intern\";");
  EXPECT_NE(text.find("\"Erstellen\";\"" + watched.path().string() + "/new;file.txt\";"),
            std::string::npos);
  // The stop row is the newest, so it comes first.
  const size_t firstRow = text.find("\r\n") + 2;
  EXPECT_NE(text.substr(firstRow, text.find("\r\n", firstRow) - firstRow).find("Stoppe"),
            std::string::npos);
  EXPECT_EQ(ReadFile(xls).substr(0, 4), std::string("\x09\x00\x04\x00", 4));  // BIFF2 BOF
}

TEST(WatchCliExportTest, AnUnknownExtensionIsRefusedBeforeTheWatch) {
  TempFolder watched;
  for (const std::string name : {"log.htm", "log", "log.pdf", ".csv"}) {
    Watch watch({"--export", (watched / name).string(), watched.path().string()});
    EXPECT_EQ(watch.Wait(), 2) << name;
    EXPECT_NE(watch.Errors().find("--export"), std::string::npos);
    EXPECT_FALSE(std::filesystem::exists(watched / name));
  }
}

}  // namespace
