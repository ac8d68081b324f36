// A settings file the program cannot use is said once in the window, and kept.
#include <sys/stat.h>

#include "core/app/command_ids.h"
#include "core/platform/file_io.h"
#include "ui/app/settings_notice.h"
#include "ui/app/frame_fixture.h"
#include "ui/support/pump.h"

namespace tavrek::ui {
namespace {

// What has the file's name, read without waiting on a FIFO.
std::pair<std::filesystem::file_type, std::string> Kept(const std::filesystem::path& file) {
  return {std::filesystem::status(file).type(), platform::ReadTextFile(file.string()).bytes};
}

TEST_F(FrameTest, AnUnusableSettingsFileIsSaidOnceInTheWindowAndKept) {
  const std::filesystem::path file = config_ / "Tavrek.ini";
  using Make = std::function<void()>;
  struct Case {
    Make make;
    const char* said;  // the line with the reason
  } const cases[] = {
      {[&] { mkfifo(file.c_str(), 0600); }, "FIFO"},
      {[&] { std::filesystem::create_directory(file); }, "Ordner"},
      {[&] {
         platform::WriteFileAtomically(file.string(), "[View]\r\nTB=1\r\n");
         std::filesystem::permissions(file, std::filesystem::perms::owner_read);
       },
       "schreibgeschützt"},
  };
  for (const Case& c : cases) {
    std::filesystem::remove_all(file);
    Dialogs::Reset();
    Dialogs::SetTestMode(true);
    c.make();
    const auto before = Kept(file);
    StartOutcome outcome = Begin("");
    for (int toggle = 0; toggle < 2; ++toggle) outcome.frame->HandleCommand(app::command::kToggleToolbar);
    ASSERT_TRUE(testing::PumpUntil([] { return !Dialogs::messages().empty(); })) << c.said;
    QCoreApplication::processEvents();
    ASSERT_EQ(Dialogs::messages().size(), 1u) << c.said;
    const QString text = Dialogs::messages().front().text;
    EXPECT_TRUE(text.startsWith(QStringLiteral("Die Einstellungen können nicht "))) << text.toStdString();
    EXPECT_TRUE(text.contains(QString::fromUtf8(c.said))) << text.toStdString();
    EXPECT_TRUE(text.contains(Q(file))) << text.toStdString();
    EXPECT_TRUE(Kept(file) == before) << c.said;
  }
}

}  // namespace
}  // namespace tavrek::ui
