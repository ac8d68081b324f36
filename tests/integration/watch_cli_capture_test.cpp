// tavrek-watch as an ordinary user: with the capture helper's group it sees
// changes through fanotify and names the process; without it, inotify and
// one line saying why. The helper is installed as the install script does,
// into a folder of the test's own, for a group the test makes up.
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "core/platform/run_program.h"
#include "support/temp_folder.h"
#include "watch_process.h"

namespace {

using tavrek::platform::FindProgram;
using tavrek::platform::RunProgram;
using tavrek::testing::TempFolder;
using tavrek::testing::WatchProcess;

constexpr gid_t kHelperGroup = 64999;  // any number: setpriv grants it without /etc/group
constexpr uid_t kNobody = 65534;
constexpr std::chrono::seconds kSetcapTimeout{30};

// The helper copied beside the test, as install-helper.sh installs it.
bool InstallHelper(const std::filesystem::path& target) {
  std::filesystem::copy_file(TAVREK_CAPTURE_BINARY, target);
  return chown(target.c_str(), 0, kHelperGroup) == 0 && chmod(target.c_str(), 0750) == 0 &&
         RunProgram(FindProgram("setcap"),
                    {"setcap", "cap_sys_admin,cap_dac_read_search+ep", target.string()}, kSetcapTimeout);
}

std::vector<std::string> AsNobody(const std::string& groups, const std::string& helper) {
  return {"setpriv", "--reuid=" + std::to_string(kNobody), "--regid=" + std::to_string(kNobody),
          groups, "--inh-caps=-all", "env", "TAVREK_CAPTURE_HELPER=" + helper};
}

TEST(WatchCliCaptureTest, TheHelpersGroupGivesFanotifyAndTheProcess) {
  if (geteuid() != 0) GTEST_SKIP() << "installing the helper needs root";
  TempFolder place;
  TempFolder watched;
  chmod(place.path().c_str(), 0755);
  chmod(watched.path().c_str(), 0777);
  const auto helper = place.path() / "tavrek-capture";
  if (!InstallHelper(helper)) GTEST_SKIP() << "setcap is not available here";
  struct Case {
    std::string groups;
    bool named;  // the process column names touch
  };
  for (const Case& test : {Case{"--groups=" + std::to_string(kHelperGroup), true},
                           Case{"--clear-groups", false}}) {
    const std::string file = (watched.path() / ("by-test" + test.groups)).string();
    WatchProcess process({"--backend", test.named ? "fanotify" : "automatic", "--only", "creation",
                          watched.path().string()},
                         AsNobody(test.groups, helper.string()));
    ASSERT_TRUE(process.ReadLineWith("Starte"));
    // Written by this test, which lives on: its name can always be read.
    std::ofstream(file).put('x');
    const auto row = process.ReadLineWith(file);
    ASSERT_TRUE(row) << process.seen();
    const std::string byThisTest = " (" + std::to_string(getpid()) + ")";
    EXPECT_EQ(row->ends_with(byThisTest) && !row->ends_with("\t" + byThisTest.substr(1)), test.named)
        << *row;
    EXPECT_EQ(process.seen().find("der Gruppe tavrek beitreten") != std::string::npos, !test.named)
        << process.seen();
    process.Signal(SIGTERM);
    EXPECT_EQ(process.Wait(), 0);
  }
}

TEST(WatchCliCaptureTest, AHelperThatNeverAnswersLeavesTheWatchToInotify) {
  if (geteuid() != 0) GTEST_SKIP() << "running as another user needs root";
  TempFolder place;
  TempFolder watched;
  chmod(place.path().c_str(), 0755);
  chmod(watched.path().c_str(), 0755);
  const auto helper = place.path() / "silent-helper";
  std::ofstream(helper) << "#!/bin/sh\nexec sleep 600\n";
  chmod(helper.c_str(), 0755);
  WatchProcess process({"--only", "creation", watched.path().string()},
                       AsNobody("--clear-groups", helper.string()));
  EXPECT_TRUE(process.ReadLineWith("der Gruppe tavrek beitreten")) << process.seen();
  process.Signal(SIGTERM);
  EXPECT_EQ(process.Wait(), 0);
}

}  // namespace
