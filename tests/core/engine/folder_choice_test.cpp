// A folder's watch choice reaches its source, travels with the setup, and
// leaves with the folder; a backend forced for the session still wins.
#include <gtest/gtest.h>

#include "core/engine/watch_session.h"
#include "support/temp_folder.h"
#include "support/wait_until.h"

namespace tavrek::engine {
namespace {

using tavrek::testing::TempFolder;

TEST(FolderChoiceTest, TheChoiceIsUsedUnlessABackendIsForcedAndLeavesWithItsFolder) {
  struct Case {
    BackendType forced;
    BackendType used;
  };
  for (const Case& test : {Case{BackendType::Automatic, BackendType::Poll},
                           Case{BackendType::Inotify, BackendType::Inotify}}) {
    TempFolder a, b;
    const std::string folder = a.path().string();
    SessionSettings settings;
    settings.backend = test.forced;
    WatchSession session(std::move(settings));
    session.StartFolders({folder}, true);
    session.SetWatchChoice({0}, BackendType::Poll);  // restarts the running watch
    EXPECT_EQ(session.Setup().folderChoices, (FolderChoices{{folder, BackendType::Poll}}));
    ASSERT_TRUE(testing::WaitUntil([&] { return session.CoverageOf(0).known(); }));
    EXPECT_EQ(session.CoverageOf(0).backend, test.used);

    session.StartFolders({b.path().string()}, false);
    const size_t row = session.folderRows()[0].path == folder ? 0 : 1;
    EXPECT_EQ(session.WatchChoiceOf(row), BackendType::Poll);
    session.RemoveFolderRows({row});
    session.StartFolders({folder}, false);  // back, but without its choice
    EXPECT_TRUE(session.Setup().folderChoices.empty());
  }
}

}  // namespace
}  // namespace tavrek::engine
