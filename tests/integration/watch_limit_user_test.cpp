// An ordinary user beyond the inotify watch limit: tavrek-watch run as nobody
// (setpriv) polls the folders the limit leaves out and reports a write there,
// marked as found by polling, and says how many folders are watched which way.
// The limit is lowered in a user namespace of the test's own, never on the
// machine: fs.inotify.max_user_watches counts each user's watches in every
// process, and ctest -j runs other watches beside this one. An ordinary
// process cannot map nobody into a namespace, so the test needs root.
#include <fcntl.h>
#include <sched.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "file_ops.h"
#include "low_watch_limit.h"
#include "support/temp_folder.h"
#include "watch_process.h"

namespace tavrek::testing {
namespace {

constexpr const char* kWatchLimit = "3";  // the folder and two of its leaves
constexpr int kLeaves = 6;
constexpr const char* kEveryId = "0 0 4294967295";
enum ChildResult { kPassed = 0, kFailed = 1, kNoNamespace = 2 };

int Occurrences(const std::string& text, const std::string& part) {
  int count = 0;
  for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++count;
  return count;
}

// In the namespace, as its root: every leaf's file written once while
// tavrek-watch watches the folder as nobody. Each write is reported once,
// those found by polling marked so; the coverage row counts every folder
// once, and the limit is said once.
int WriteEveryLeafAsSeenByNobody() {
  if (!WriteProcText("/proc/sys/user/max_inotify_watches", kWatchLimit)) return kNoNamespace;
  TempFolder folder;
  chmod(folder.path().c_str(), 0755);
  for (int leaf = 0; leaf < kLeaves; ++leaf) folder.Write("d" + std::to_string(leaf) + "/f");
  WatchProcess process({"--only", "write,subtree", folder.path().string()},
                       {"setpriv", "--reuid=65534", "--regid=65534", "--clear-groups"});
  const auto coverage = process.ReadLineWith("abgefragt alle");
  int kernel = 0;
  int polled = 0;
  if (!coverage || std::sscanf(coverage->substr(coverage->find("Überwachung: ")).c_str(),
                               "Überwachung: %d Ordner per inotify, %d abgefragt", &kernel, &polled) != 2) {
    return kFailed;
  }
  for (int leaf = 0; leaf < kLeaves; ++leaf) {
    if (!AppendTo(folder.slashed() + "d" + std::to_string(leaf) + "/f", "x")) return kFailed;
  }
  int reported = 0;
  int marked = 0;
  for (; reported < kLeaves; ++reported) {
    const auto row = process.ReadLineWith("\tSchreiben\t");
    if (!row) break;
    marked += row->find(" abgefragt") != std::string::npos ? 1 : 0;
  }
  process.Signal(SIGTERM);
  const std::string all = process.seen() + process.ReadRest();
  if (reported < kLeaves) std::fprintf(stderr, "not all reported:\n%s", all.c_str());
  return reported == kLeaves && Occurrences(all, "\tSchreiben\t") == kLeaves &&
                 kernel + polled == kLeaves + 1 && polled > 0 && marked == polled &&
                 Occurrences(all, "Überwachungslimit erreicht") == 1
             ? kPassed
             : kFailed;
}

bool MapEveryId(pid_t child) {
  const std::string proc = "/proc/" + std::to_string(child);
  return WriteProcText((proc + "/uid_map").c_str(), kEveryId) &&
         WriteProcText((proc + "/gid_map").c_str(), kEveryId);
}

TEST(WatchLimitUserTest, FoldersBeyondAnOrdinaryUsersLimitArePolled) {
  if (geteuid() != 0) GTEST_SKIP() << "mapping nobody into a user namespace needs root";
  int entered[2], mapped[2];
  ASSERT_EQ(pipe2(entered, O_CLOEXEC), 0);
  ASSERT_EQ(pipe2(mapped, O_CLOEXEC), 0);
  const pid_t child = fork();
  ASSERT_GE(child, 0);
  char byte = 0;
  if (child == 0) {
    // A forked child has one thread, as unshare needs.
    byte = unshare(CLONE_NEWUSER) == 0 ? 1 : 0;
    const bool ready = write(entered[1], &byte, 1) == 1 && read(mapped[0], &byte, 1) == 1;
    std::_Exit(ready && byte == 1 ? WriteEveryLeafAsSeenByNobody() : kNoNamespace);
  }
  const bool entering = read(entered[0], &byte, 1) == 1 && byte == 1;
  byte = entering && MapEveryId(child) ? 1 : 0;
  EXPECT_EQ(write(mapped[1], &byte, 1), 1);
  int status = 0;
  waitpid(child, &status, 0);
  for (int fd : {entered[0], entered[1], mapped[0], mapped[1]}) close(fd);
  ASSERT_TRUE(WIFEXITED(status));
  if (WEXITSTATUS(status) == kNoNamespace) GTEST_SKIP() << "no user namespace here";
  EXPECT_EQ(WEXITSTATUS(status), kPassed);
}

}  // namespace
}  // namespace tavrek::testing
