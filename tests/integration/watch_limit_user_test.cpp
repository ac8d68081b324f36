// An ordinary user beyond the inotify watch limit: tavrek-watch run as nobody
// (setpriv) polls the folders the limit leaves out and reports a write there,
// marked as found by polling, and says how many folders are watched which way.
// Likewise beyond the limit of inotify instances: folders that get none are
// polled, never ended. The limits are lowered in a user namespace of the test's own (see
// low_watch_limit.h).
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "file_ops.h"
#include "low_watch_limit.h"
#include "support/temp_folder.h"
#include "watch_process.h"

namespace tavrek::testing {
namespace {

constexpr const char* kWatchLimit = "3";  // the folder and two of its leaves
constexpr int kLeaves = 6;

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

constexpr const char* kInstanceLimit = "2";
constexpr int kFolders = 4;

// In the namespace, as its root: a file made in each of four folders that
// nobody watches with inotify, allowed two instances. No folder ends, every
// file is reported once, and each folder polled instead names the limit.
int MakeAFileInEveryFolderBeyondTheInstanceLimit() {
  if (!WriteProcText("/proc/sys/user/max_inotify_instances", kInstanceLimit)) return kNoNamespace;
  TempFolder folder;
  chmod(folder.path().c_str(), 0755);
  std::vector<std::string> arguments{"--backend", "inotify", "--poll-interval", "0.2"};
  for (int index = 0; index < kFolders; ++index) {
    arguments.push_back(folder.slashed() + "d" + std::to_string(index));
    if (!MakeDirectory(arguments.back())) return kFailed;
  }
  WatchProcess process(arguments, {"setpriv", "--reuid=65534", "--regid=65534", "--clear-groups"});
  if (!process.ReadLineWith("Starte Überwachung")) return kFailed;
  for (int index = 0; index < kFolders; ++index) {
    if (!CreateEmpty(folder.slashed() + "d" + std::to_string(index) + "/new")) return kFailed;
  }
  int reported = 0;
  while (reported < kFolders && process.ReadLineWith("\tErstellen\t")) ++reported;
  process.Signal(SIGTERM);
  const std::string all = process.seen() + process.ReadRest();
  if (reported < kFolders) std::fprintf(stderr, "not all reported:\n%s", all.c_str());
  return reported == kFolders && Occurrences(all, "\tErstellen\t") == kFolders &&
                 Occurrences(all, "\tAbbruch\t") == 0 &&
                 Occurrences(all, "(fs.inotify.max_user_instances), Ordner wird abgefragt") == 2
             ? kPassed
             : kFailed;
}

TEST(WatchLimitUserTest, FoldersBeyondAnOrdinaryUsersInstanceLimitArePolled) {
  if (geteuid() != 0) GTEST_SKIP() << "mapping nobody into a user namespace needs root";
  const int result = RunInUserNamespace(MakeAFileInEveryFolderBeyondTheInstanceLimit);
  if (result == kNoNamespace) GTEST_SKIP() << "no user namespace here";
  EXPECT_EQ(result, kPassed);
}

TEST(WatchLimitUserTest, FoldersBeyondAnOrdinaryUsersLimitArePolled) {
  if (geteuid() != 0) GTEST_SKIP() << "mapping nobody into a user namespace needs root";
  const int result = RunInUserNamespace(WriteEveryLeafAsSeenByNobody);
  if (result == kNoNamespace) GTEST_SKIP() << "no user namespace here";
  EXPECT_EQ(result, kPassed);
}

}  // namespace
}  // namespace tavrek::testing
