#include <signal.h>
#include <sys/mount.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <filesystem>

#include "core/engine/action.h"
#include "core/engine/watch_session.h"
#include "support/temp_folder.h"

namespace tavrek::engine {
namespace {

using tavrek::testing::TempFolder;
namespace fs = std::filesystem;

// Everything goes to the file at once.
SpillSettings SpillTo(const fs::path& folder, size_t memoryCap = size_t{1} << 20) {
  return {{folder.string()}, 0, memoryCap};
}

ChangeEvent Event(size_t i) {
  static const std::string kHostile[] = {"tab\there", "line\nfeed", "bad\xff\xfe utf-8",
                                         "quote\"semi;<b>&", std::string(5000, 'x'), "ümlaut"};
  ChangeEvent event;
  event.path = "/data/f" + std::to_string(i % 3000) + "/" + kHostile[i % std::size(kHostile)];
  if (i % 7 == 0) event.oldPath = "/data/old" + std::to_string(i);
  event.action = i % 2 ? Action::kWritten : Action::kCreated;
  event.kindIndex = static_cast<uint8_t>(i % kKindCount);
  event.recordPosition = static_cast<uint16_t>(i % 300);
  event.pid = static_cast<int32_t>(i % 5);
  event.fromRescan = i % 11 == 0;
  event.time = {2024, 5, 0, 17, static_cast<uint16_t>(i % 24), static_cast<uint16_t>(i % 60),
                static_cast<uint16_t>(i % 59), static_cast<uint16_t>(i % 1000)};
  return event;
}

void Fill(ChangeLog& log, size_t from, size_t to) {
  for (size_t i = from; i < to; ++i) {
    i % 97 == 0 ? log.AddStatus(Event(i).time, "Starte Überwachung 3", Event(i).path)
                : log.AddEvent(Event(i), i % 13 ? "" : "user" + std::to_string(i % 4));
  }
}

// Open descriptors of this process on a file in `folder`.
size_t DescriptorsIn(const fs::path& folder) {
  size_t count = 0;
  for (const auto& entry : fs::directory_iterator("/proc/self/fd")) {
    std::error_code error;
    const std::string target = fs::read_symlink(entry.path(), error).string();
    if (!error && target.starts_with(folder.string() + "/")) ++count;
  }
  return count;
}

TEST(SpillLogTest, RowsReadBackIdenticalAndAClearGivesTheDiskBack) {
  TempFolder folder;
  ChangeLog spilled(ProcessNames::Shared(), SpillTo(folder.path()));
  ChangeLog inMemory;
  constexpr size_t kRows = 30'000;  // several row chunks and text blocks
  Fill(spilled, 0, kRows);
  Fill(inMemory, 0, kRows);
  ASSERT_EQ(spilled.size(), kRows);
  EXPECT_GT(spilled.DiskBytes(), kRows * sizeof(LogRow));
  EXPECT_EQ(spilled.droppedRows(), 0u);
  for (size_t row = 0; row < kRows; ++row) {
    ASSERT_EQ(spilled.Image(row), inMemory.Image(row)) << row;
    for (int column = kLogColumnTime; column < kLogColumnCount; ++column) {
      ASSERT_EQ(spilled.CellText(row, column), inMemory.CellText(row, column)) << row;
    }
  }
  EXPECT_TRUE(fs::is_empty(folder.path())) << "the spill file has no name";
  // A short log stays in memory; a clear gives the disk back.
  TempFolder other;
  ChangeLog small(ProcessNames::Shared(), SpillSettings{{other.path().string()}});
  Fill(small, 0, 100);
  EXPECT_EQ(DescriptorsIn(other.path()), 0u) << "a short log stays in memory";
  Fill(small, 100, 200'000);
  EXPECT_GT(small.DiskBytes(), 0u);
  EXPECT_EQ(DescriptorsIn(other.path()), 1u);
  small.Clear();
  EXPECT_EQ(small.DiskBytes(), 0u);
  EXPECT_EQ(DescriptorsIn(other.path()), 0u);
}

TEST(SpillLogTest, NothingStaysInTheFolderWhenTheProcessIsKilled) {
  TempFolder folder;
  const fs::path stale = folder.Write(std::string(kSpillNamePrefix) + "left");
  fs::last_write_time(stale, fs::file_time_type::clock::now() - std::chrono::hours(1));
  int ready[2];
  ASSERT_EQ(pipe(ready), 0);
  const pid_t child = fork();
  if (child == 0) {
    ChangeLog log(ProcessNames::Shared(), SpillTo(folder.path()));
    Fill(log, 0, 10'000);
    const char done = log.DiskBytes() > 0 ? 'y' : 'n';
    [[maybe_unused]] ssize_t written = write(ready[1], &done, 1);
    pause();
    _exit(0);
  }
  close(ready[1]);
  char done = 0;
  ASSERT_EQ(read(ready[0], &done, 1), 1);
  close(ready[0]);
  EXPECT_EQ(done, 'y');
  EXPECT_TRUE(fs::is_empty(folder.path())) << "a name left by a killed process is removed";
  kill(child, SIGKILL);
  int status = 0;
  waitpid(child, &status, 0);
  EXPECT_TRUE(fs::is_empty(folder.path()));
}

struct Unmount {
  ~Unmount() {
    if (!path.empty()) umount(path.c_str());
  }
  std::string path;
};

// The disk takes no more (a 1 MiB tmpfs, or a folder that cannot be made):
// one status row names the folder, the watch goes on in memory, and what the
// memory cap cannot hold is counted.
TEST(SpillFailureTest, OneStatusRowAndTheLogGoesOnInMemory) {
  for (const bool smallDisk : {false, true}) {
    SCOPED_TRACE(smallDisk ? "disk full" : "folder unusable");
    TempFolder temp;
    fs::path folder = temp.path() / "cache";
    Unmount unmount;
    if (!smallDisk) {
      temp.Write("cache");  // a file where the folder should be
      folder /= "Tavrek";
    } else if (fs::create_directory(folder);
               mount("tavrek-test", folder.c_str(), "tmpfs", 0, "size=1m") != 0) {
      GTEST_SKIP() << "mounting a tmpfs is not permitted here";
    } else {
      unmount.path = folder.string();
    }
    SessionSettings settings;
    settings.spill = SpillTo(folder, size_t{2} << 20);
    WatchSession session(settings);
    for (size_t batch = 0; batch < 40; ++batch) {
      EventBatch events;
      events.generation = session.generation();
      for (size_t i = 0; i < 1000; ++i) events.events.push_back(Event(batch * 1000 + i));
      session.queue().Push(std::move(events));
      session.ProcessPending();
    }
    const ChangeLog& log = session.log();
    const std::string_view statusText = smallDisk ? kStatusSpillFull : kStatusSpillUnusable;
    std::vector<size_t> statusRows;
    for (size_t row = 0; row < log.size(); ++row) {
      if (log.CellText(row, kLogColumnAction) != statusText) continue;
      statusRows.push_back(row);
      EXPECT_EQ(log.CellText(row, kLogColumnName), folder.string());
    }
    ASSERT_EQ(statusRows.size(), 1u);
    EXPECT_GT(log.size(), statusRows[0] + 1) << "rows after the status row are kept";
    EXPECT_GT(log.droppedRows(), 0u);
    EXPECT_EQ(log.size() + log.droppedRows(), 40'000u + 1);
  }
}

}  // namespace
}  // namespace tavrek::engine
