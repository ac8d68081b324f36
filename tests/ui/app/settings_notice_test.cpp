// A settings file the program cannot use is said once in the window, and kept.
#include <sys/stat.h>

#include "core/app/command_ids.h"
#include "core/app/settings_problem.h"
#include "core/platform/file_io.h"
#include "core/platform/update_lock.h"
#include "ui/app/frame_fixture.h"
#include "ui/support/pump.h"

namespace tavrek::ui {
namespace {

TEST_F(FrameTest, AnUnusableSettingsFileIsSaidOnceInTheWindowAndKept) {
  namespace fs = std::filesystem;
  const fs::path file = config_ / "Tavrek.ini";
  const std::pair<std::function<void()>, const char*> cases[] = {  // how it is made, the reason said
      {[&] { mkfifo(file.c_str(), 0600); }, "FIFO"},
      {[&] { fs::create_directory(file); }, "Ordner"},
      {[&] {
         platform::WriteFileAtomically(file.string(), "[View]\r\nTB=1\r\n");
         fs::permissions(file, fs::perms::owner_read);
       },
       "schreibgeschützt"}};
  // What has the file's name, read without waiting on a FIFO.
  auto kept = [&] { return std::pair(fs::status(file).type(), platform::ReadTextFile(file.string()).bytes); };
  for (const auto& [make, reason] : cases) {
    fs::remove_all(file);
    Dialogs::Reset();
    Dialogs::SetTestMode(true);
    make();
    const auto before = kept();
    StartOutcome outcome = Begin("");
    for (int toggle = 0; toggle < 2; ++toggle) outcome.frame->HandleCommand(app::command::kToggleToolbar);
    ASSERT_TRUE(testing::PumpUntil([] { return !Dialogs::messages().empty(); })) << reason;
    QCoreApplication::processEvents();
    ASSERT_EQ(Dialogs::messages().size(), 1u) << reason;
    const QString text = Dialogs::messages().front().text;
    EXPECT_TRUE(text.startsWith(QStringLiteral("Die Einstellungen können nicht ")) && text.contains(Q(file)) &&
                text.contains(QString::fromUtf8(reason)))
        << text.toStdString();
    EXPECT_TRUE(kept() == before) << reason;
  }
  fs::permissions(file, fs::perms::owner_all);  // a lock held elsewhere is named as such
  const platform::UpdateLock other(file.string());
  EXPECT_EQ(app::WriteProblemOf(file.string()), app::SettingsProblem::kLocked);
}

// The registry file is told apart from the settings file: closing windows
// (their option boxes) and the frame (its placement) write it, and a
// write-protected one is said once and kept.
TEST_F(FrameTest, AWriteProtectedRegistryFileIsSaidOnceAndKept) {
  namespace fs = std::filesystem;
  const fs::path file = config_ / "registry.reg";
  ASSERT_TRUE(platform::WriteFileAtomically(file.string(), "REGEDIT4\r\n"));
  fs::permissions(file, fs::perms::owner_read);
  Dialogs::SetTestMode(true);
  StartOutcome outcome = Begin("");
  for (int window = 0; window < 2; ++window) {
    outcome.frame->HandleCommand(app::command::kNewWindow);
    delete Windows(*outcome.frame).back();
  }
  outcome.frame->close();
  ASSERT_EQ(Dialogs::messages().size(), 1u);
  const QString text = Dialogs::messages().front().text;
  EXPECT_TRUE(text.startsWith(QStringLiteral("Die Einstellungen können nicht gespeichert")) &&
              text.contains(Q(file)) && text.contains(QStringLiteral("schreibgeschützt")))
      << text.toStdString();
  EXPECT_EQ(platform::ReadTextFile(file.string()).bytes, "REGEDIT4\r\n");
}

}  // namespace
}  // namespace tavrek::ui
