// tavrek-capture run as its parents run it: refusals, the capabilities it
// keeps, its stream, and its end with the parent.
#include <fcntl.h>
#include <linux/capability.h>
#include <poll.h>
#include <spawn.h>
#include <sys/prctl.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <array>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "core/engine/backend/capture/capture_stream.h"
#include "support/temp_folder.h"
#include "support/wait_until.h"

namespace {

using tavrek::engine::CaptureFrameType;
using tavrek::engine::CaptureReader;
using tavrek::testing::TempFolder;
using tavrek::testing::WaitUntil;

// The helper with its standard input and output on pipes.
struct Helper {
  pid_t pid = -1;
  int input = -1;   // the write end of its standard input
  int output = -1;  // the read end of its standard output
};

// `in` is the pipe of its input; a new one when not given.
Helper Spawn(const std::vector<std::string>& arguments, std::array<int, 2> in = {-1, -1}) {
  int out[2];
  if ((in[0] < 0 && pipe2(in.data(), O_CLOEXEC) != 0) || pipe2(out, O_CLOEXEC) != 0) return {};
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, in[0], STDIN_FILENO);
  posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
  std::vector<char*> argv{const_cast<char*>(TAVREK_CAPTURE_BINARY)};
  for (const std::string& argument : arguments) argv.push_back(const_cast<char*>(argument.c_str()));
  argv.push_back(nullptr);
  Helper helper;
  if (posix_spawn(&helper.pid, argv[0], &actions, nullptr, argv.data(), environ) != 0) helper.pid = -1;
  posix_spawn_file_actions_destroy(&actions);
  close(in[0]);
  close(out[1]);
  helper.input = in[1];
  helper.output = out[0];
  return helper;
}

int ExitCode(pid_t pid) {
  int status = 0;
  if (waitpid(pid, &status, 0) != pid) return -1;
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// Frames until `wanted` holds for one; false at the end of the stream, or
// when nothing comes for ten seconds (a helper that hangs fails the test).
bool ReadUntil(int fd, CaptureReader& reader,
               const std::function<bool(const CaptureReader::Frame&)>& wanted) {
  constexpr int kQuietLimitMs = 10000;
  char buffer[4096];
  for (;;) {
    bool broken = false;
    while (auto frame = reader.Next(broken)) {
      if (wanted(*frame)) return true;
    }
    pollfd ready{fd, POLLIN, 0};
    if (broken || poll(&ready, 1, kQuietLimitMs) <= 0) return false;
    const ssize_t length = read(fd, buffer, sizeof buffer);
    if (broken || length <= 0) return false;
    reader.Add({buffer, static_cast<size_t>(length)});
  }
}

TEST(CaptureHelperTest, RefusesAnythingButOneAbsoluteFolder) {
  TempFolder folder;
  const std::string file = folder.Write("file").string();
  const std::string path = folder.path().string();
  for (const std::vector<std::string>& arguments :
       {std::vector<std::string>{}, {"relative"}, {"--bogus", path}, {file}, {path + "/../x"},
        {path, path}, {"--setup", "x.tvk"}}) {
    Helper helper = Spawn(arguments);
    ASSERT_GT(helper.pid, 0);
    EXPECT_EQ(ExitCode(helper.pid), 2) << (arguments.empty() ? "" : arguments[0]);
    close(helper.input);
    close(helper.output);
  }
}

TEST(CaptureHelperTest, KeepsOnlyHandleReadingAndStreamsTheChangesOfTheFolder) {
  if (geteuid() != 0) GTEST_SKIP() << "fanotify needs root here";
  TempFolder folder;
  Helper helper = Spawn({folder.path().string()});
  CaptureReader reader;
  ASSERT_TRUE(ReadUntil(helper.output, reader, [](const auto& frame) {
    return frame.type == CaptureFrameType::kStarted;
  }));
  __user_cap_header_struct header{_LINUX_CAPABILITY_VERSION_3, helper.pid};
  __user_cap_data_struct data[_LINUX_CAPABILITY_U32S_3]{};
  ASSERT_EQ(syscall(SYS_capget, &header, data), 0);
  const uint32_t handleReading = uint32_t{1} << CAP_DAC_READ_SEARCH;
  EXPECT_EQ(data[0].effective, handleReading);
  EXPECT_EQ(data[0].permitted, handleReading);
  EXPECT_EQ(data[0].inheritable | data[1].effective | data[1].permitted, 0u);

  const std::string path = (folder.path() / "new\nname").string();
  std::ofstream(path).put('x');
  EXPECT_TRUE(ReadUntil(helper.output, reader, [&](const auto& frame) {
    for (const auto& item : frame.batch.changes) {
      if (item.change.path == path && item.change.pid == getpid()) return true;
    }
    return false;
  }));
  close(helper.input);  // the parent's end: the helper ends with it
  EXPECT_EQ(ExitCode(helper.pid), 0);
  close(helper.output);
}

// The helper's parent ends while the test keeps the helper's input open:
// only the parent's end can end it. The test adopts it to see it end.
TEST(CaptureHelperTest, EndsWhenItsParentEnds) {
  if (geteuid() != 0) GTEST_SKIP() << "fanotify needs root here";
  TempFolder folder;
  ASSERT_EQ(prctl(PR_SET_CHILD_SUBREAPER, 1), 0);
  int report[2];
  std::array<int, 2> input;
  ASSERT_EQ(pipe(report), 0);
  ASSERT_EQ(pipe2(input.data(), O_CLOEXEC), 0);
  const pid_t parent = fork();
  if (parent == 0) {
    Helper helper = Spawn({folder.path().string()}, input);
    CaptureReader reader;
    ReadUntil(helper.output, reader, [](const auto& frame) {
      return frame.type == CaptureFrameType::kStarted;
    });
    [[maybe_unused]] ssize_t written = write(report[1], &helper.pid, sizeof helper.pid);
    _exit(0);
  }
  close(report[1]);
  close(input[0]);
  pid_t helperPid = -1;
  ASSERT_EQ(read(report[0], &helperPid, sizeof helperPid), static_cast<ssize_t>(sizeof helperPid));
  close(report[0]);
  EXPECT_EQ(ExitCode(parent), 0);
  int status = 0;
  EXPECT_TRUE(WaitUntil([&] { return waitpid(helperPid, &status, WNOHANG) == helperPid; }));
  EXPECT_TRUE(WIFSIGNALED(status));
  close(input[1]);
  prctl(PR_SET_CHILD_SUBREAPER, 0);
}

}  // namespace
