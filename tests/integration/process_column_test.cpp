// The process column on real folders: fanotify names the process of each
// change, inotify cannot. Only rows of the test's own folder are looked at.
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <set>
#include <string>

#include "core/engine/change_log.h"
#include "core/engine/process/process_names.h"
#include "file_ops.h"
#include "source_fixture.h"

namespace tavrek::testing {
namespace {

using engine::BackendType;
using engine::ChangeEvent;
using engine::kLogColumnProcess;

class ProcessColumnTest : public SourceTest {
 protected:
  // The process texts of every row made from the file's events, once one came.
  std::set<std::string> ProcessTexts(const std::string& file) {
    EXPECT_TRUE(harness->WaitFor([&](const ChangeEvent& event) { return event.path == file; }));
    engine::ChangeLog log;
    for (const ChangeEvent& event : harness->events()) {
      if (event.path == file) log.AddEvent(event, "");
    }
    std::set<std::string> texts;
    for (size_t row = 0; row < log.size(); ++row) texts.insert(log.CellText(row, kLogColumnProcess));
    return texts;
  }

  bool fanotify() const { return GetParam() == BackendType::Fanotify; }
};

// Ended and reaped long before their records are read: each is still named,
// by the record of its program's start, which is no change of its own. The
// program inside the folder is read for its exec: an access, when asked for.
TEST_P(ProcessColumnTest, ProgramsThatEndAtOnceAreNamed) {
  if (!fanotify()) GTEST_SKIP() << "only fanotify tells the process";
  const std::string inside = Path("touch");
  ASSERT_TRUE(std::filesystem::copy_file("/bin/touch", inside));
  constexpr int kPrograms = 40;
  for (const bool access : {true, false}) {
    engine::KindSet kinds = AllKinds();
    kinds[engine::kKindAccess] = access;
    Start(kinds);
    for (int index = 0; index < kPrograms; ++index) {
      const std::string file = Path(std::to_string(access) + "-" + std::to_string(index));
      std::string program = index % 2 ? inside : "/bin/touch";
      char* argv[] = {program.data(), const_cast<char*>(file.c_str()), nullptr};
      pid_t pid = 0;
      ASSERT_EQ(posix_spawn(&pid, argv[0], nullptr, nullptr, argv, environ), 0);
      int status = 0;
      ASSERT_EQ(waitpid(pid, &status, 0), pid);
      for (const std::string& text : ProcessTexts(file)) {
        EXPECT_EQ(text, "touch (" + std::to_string(pid) + ")") << file;
      }
      for (const ChangeEvent& event : harness->events()) {
        EXPECT_FALSE(!access && event.path == inside && event.pid == pid);
      }
    }
  }
}

// A wrapper script that runs its program through env: the kernel folds the
// loader's records of the programs between into one, and the row still names
// the program that made the file.
TEST_P(ProcessColumnTest, AWrapperThroughEnvIsNamedAfterItsProgram) {
  if (!fanotify()) GTEST_SKIP() << "only fanotify tells the process";
  TempFolder bin;
  std::string wrapper = bin.Write("envwrap", "#!/usr/bin/env bash\nexec /usr/bin/touch \"$@\"\n");
  ASSERT_EQ(chmod(wrapper.c_str(), 0755), 0);
  Start();
  for (int index = 0; index < 5; ++index) {
    std::string file = Path("ew" + std::to_string(index));
    char* argv[] = {wrapper.data(), file.data(), nullptr};
    pid_t pid = 0;
    ASSERT_EQ(posix_spawn(&pid, argv[0], nullptr, nullptr, argv, environ), 0);
    int status = 0;
    ASSERT_EQ(waitpid(pid, &status, 0), pid);
    EXPECT_EQ(ProcessTexts(file), std::set<std::string>{"touch (" + std::to_string(pid) + ")"});
  }
}

TEST_P(ProcessColumnTest, OwnChangesAreMarked) {
  Start();
  const std::string file = Path("own.txt");
  ASSERT_TRUE(AppendTo(file, "own"));
  const std::string expected =
      fanotify() ? *engine::ProcessNames::ReadCommName(getpid()) + " (" +
                       std::to_string(getpid()) + ", eigen)"
                 : std::string();
  EXPECT_EQ(ProcessTexts(file), std::set<std::string>{expected});
}

TAVREK_FOR_EVERY_BACKEND(ProcessColumnTest);

}  // namespace
}  // namespace tavrek::testing
