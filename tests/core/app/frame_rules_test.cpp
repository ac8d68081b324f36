// What the frame decides without pixels: what a start opens, where commands
// and opened folders go, captions, menus and drive buttons.
#include "core/app/frame_rules.h"

#include <gtest/gtest.h>

#include <cctype>
#include <set>
#include <vector>

#include "core/app/command_ids.h"
#include "core/app/drive_buttons.h"
#include "core/app/frame_menus.h"
#include "core/app/start_command.h"
#include "support/temp_folder.h"

namespace tavrek::app {
namespace {

namespace cmd = command;

// Which command the frame keeps is its table; what is checked here is the drive range's edges.
TEST(FrameRulesTest, KeepsTheDriveRangeRoutesOpenedFoldersAndCaptionsWindowsAndTabs) {
  for (int own : {cmd::kDriveMenu, cmd::kFirstDrive, cmd::kLastDriveCommand, cmd::kNewWindow}) {
    EXPECT_TRUE(IsFrameCommand(own)) << own;
  }
  for (int windows : {cmd::kOpenSetup, cmd::kStartStop, cmd::kLastDriveCommand + 1}) {
    EXPECT_FALSE(IsFrameCommand(windows)) << windows;
  }
  // An opened folder is routed by the keys and the active window.
  using R = OpenFolderRoute;
  struct Row {
    bool shift, ctrl, same, active;
    R route;
  };
  const Row rows[] = {
      {false, false, false, true, R::NewWindow},     {false, false, false, false, R::NewWindow},
      {true, false, false, true, R::AddToActive},    {true, true, true, true, R::AddToActive},
      {true, false, false, false, R::Nothing},       {false, true, false, true, R::ReplaceInActive},
      {false, false, true, true, R::ReplaceInActive}, {false, true, false, false, R::NewWindow},
  };
  for (const Row& row : rows) {
    EXPECT_EQ(RouteOpenFolder(row.shift, row.ctrl, row.same, row.active), row.route)
        << row.shift << row.ctrl << row.same << row.active;
  }
  // Tab captions are cut after 32 characters.
  const std::string exact(32, 'a');
  EXPECT_EQ(TabCaption(exact), exact);
  EXPECT_EQ(TabCaption(exact + "b"), exact + " ...");
  EXPECT_EQ(TabCaption(""), "");
  // 31 letters and two umlauts: 33 characters, the cut keeps the first whole.
  EXPECT_EQ(TabCaption(std::string(31, 'x') + "üö"), std::string(31, 'x') + "ü ...");
  // A window is captioned by its document, its opened folder or its folders.
  using Folders = std::vector<std::string>;
  EXPECT_EQ(WindowCaption({"/home/u/Mein Setup.tvk", "/tmp"}, {"/tmp"}), "Mein Setup.tvk");
  EXPECT_EQ(WindowCaption({"", "/tmp/"}, Folders{"/a", "/tmp/"}), "/tmp/");
  EXPECT_EQ(WindowCaption({"", "/tmp/"}, Folders{"/a", "/b, c"}), "/a, /b, c");  // the opened one went
  EXPECT_EQ(WindowCaption({}, {}), "Tavrek");
  // The log's status groups thousands and names lost rows.
  EXPECT_EQ(LogStatusText(3'412'511, 214u << 20, 0), " | Protokoll: 3.412.511 Zeilen, 214 MB");
  EXPECT_EQ(LogStatusText(999, 0, 1'000),
            " | Protokoll: 999 Zeilen, 0 MB | nicht gespeichert: 1.000 Zeilen");
}

TEST(FrameMenusTest, EveryEntryHasAUniqueCommandAndEveryRealMountADriveButton) {
  std::set<int> commands;
  int submenuDepth = 0;
  for (const MenuPopup& popup : FrameMenus()) {
    EXPECT_FALSE(popup.items.empty()) << popup.title;
    for (const MenuItem& item : popup.items) {
      if (item.flags & kMenuSubmenuBegin) ++submenuDepth;
      if (item.flags & kMenuSubmenuEnd) --submenuDepth;
      if (item.command == 0) continue;
      EXPECT_FALSE(item.text.empty()) << item.command;
      EXPECT_TRUE(commands.insert(item.command).second) << item.command;
    }
  }
  EXPECT_EQ(submenuDepth, 0);
  std::set<char> mnemonics;  // Alt + letter opens exactly one popup
  for (const MenuPopup& popup : FrameMenus()) {
    const size_t amp = popup.title.find('&');
    ASSERT_LT(amp + 1, popup.title.size()) << popup.title;
    EXPECT_TRUE(mnemonics.insert(static_cast<char>(std::tolower(popup.title[amp + 1]))).second) << popup.title;
  }
  EXPECT_TRUE(commands.count(cmd::kStartMaximised) && commands.count(cmd::kShowStartHelp));
  for (const Accelerator& accelerator : FrameAccelerators()) {
    EXPECT_FALSE(accelerator.keys.empty()) << accelerator.command;
  }
  // The drive buttons: one per real mount, in mount order.
  testing::TempFolder sysfs;  // no block devices: every disk counts as fixed
  std::vector<platform::MountEntry> mounts = {
      {"/", "ext4", "/dev/sda1", 8, 1},      {"/proc", "proc", "proc", 0, 20},
      {"/home", "ext4", "/dev/sda2", 8, 2},  {"/mnt/share", "cifs", "//srv/x", 0, 50},
      {"/home", "ext4", "/dev/sda3", 8, 3},  {"/tmp", "tmpfs", "tmpfs", 0, 30},
      {"/dev/shm", "tmpfs", "tmpfs", 0, 31}, {"/run/user/1000", "tmpfs", "tmpfs", 0, 32},
  };
  const std::vector<DriveButton> expected = {
      {cmd::kFirstDrive, "/", platform::DriveKind::Fixed},
      {cmd::kFirstDrive + 1, "/home", platform::DriveKind::Fixed},
      {cmd::kFirstDrive + 2, "/mnt/share", platform::DriveKind::Remote},
      {cmd::kFirstDrive + 3, "/tmp", platform::DriveKind::RamDisk},
  };
  EXPECT_EQ(DriveButtons(mounts, sysfs.path().string()), expected);

  std::vector<platform::MountEntry> many;
  for (int index = 0; index < 1200; ++index) many.push_back({"/m" + std::to_string(index), "ext4", "", 8, 1});
  const auto buttons = DriveButtons(many, sysfs.path().string());
  ASSERT_EQ(buttons.size(), size_t(cmd::kLastDriveCommand - cmd::kFirstDrive + 1));
  EXPECT_EQ(buttons.back().command, cmd::kLastDriveCommand);
}

TEST(StartCommandTest, DecidesTheFormOfEveryTailAndTheFolderOptionTakesItsFolderWhole) {
  const std::pair<std::string_view, StartCommand> rows[] = {
      {"", {StartForm::Empty, ""}},
      {"-help", {StartForm::Help, ""}},
      // Only the exact word asks for help.
      {"-HELP", {StartForm::Document, "-HELP"}},
      {"-help ", {StartForm::Document, "-help "}},
      // Folder form: field 2, or field 1 when field 2 is empty or missing.
      {"/e>/home/a b>/home/shown", {StartForm::Folder, "/home/shown"}},
      {"/e>/home/a b>", {StartForm::Folder, "/home/a b"}},
      {"/e>/srv/x", {StartForm::Folder, "/srv/x"}},
      {"/e>/a,/b,>", {StartForm::Folder, "/a,/b,"}},
      {"/e>", {StartForm::Folder, ""}},
      // Only "/e>" starts the folder form: documents below /e... stay documents.
      {"/e", {StartForm::Document, "/e"}},
      {"/etc/x.tvk", {StartForm::Document, "/etc/x.tvk"}},
      {"/exports/a.tvk", {StartForm::Document, "/exports/a.tvk"}},
      {"/E>/srv", {StartForm::Document, "/E>/srv"}},
      // Documents: one quote off each end, nothing else touched.
      {"\"/home/a b/x.tvk\"", {StartForm::Document, "/home/a b/x.tvk"}},
      {"/home/a b/x.tvk", {StartForm::Document, "/home/a b/x.tvk"}},
      {"\"\"/x.tvk\"\"", {StartForm::Document, "\"/x.tvk\""}},
      {"\"/x.tvk", {StartForm::Document, "/x.tvk"}},
      {"\"", {StartForm::Document, ""}},
      {" /x.tvk ", {StartForm::Document, " /x.tvk "}},
  };
  for (const auto& [tail, expected] : rows) {
    EXPECT_EQ(ParseStartCommand(tail), expected) << tail;
  }
  // The folder option takes its one folder whole.
  const std::pair<std::vector<const char*>, StartCommand> argumentRows[] = {
      {{"tavrek", "--folder", "/t/c,d"}, {StartForm::OneFolder, "/t/c,d"}},
      {{"tavrek", "--folder", "/t/a>b"}, {StartForm::OneFolder, "/t/a>b"}},
      {{"tavrek", "--folder", "/e>/x>"}, {StartForm::OneFolder, "/e>/x>"}},
      // Nemo hands over a URI: decoded when it is a whole local one.
      {{"tavrek", "--folder", "file:///t/a%20b%2c%E2%82%AC"},
       {StartForm::OneFolder, "/t/a b,\xE2\x82\xAC"}},
      {{"tavrek", "--folder", "file:///t/50%"}, {StartForm::OneFolder, "file:///t/50%"}},
      {{"tavrek", "--folder", "file://host/t"}, {StartForm::OneFolder, "file://host/t"}},
      // Without exactly one folder after it the option is a document path.
      {{"tavrek", "--folder"}, {StartForm::Document, "--folder"}},
      {{"tavrek", "--folder", "/a", "/b"}, {StartForm::Document, "--folder /a /b"}},
      {{"tavrek", "/etc/x.tvk"}, {StartForm::Document, "/etc/x.tvk"}},
      {{"tavrek", "\"/home/a b/x.tvk", "y\""}, {StartForm::Document, "/home/a b/x.tvk y"}},
      {{"tavrek"}, {StartForm::Empty, ""}},
      {{"tavrek", "/e>/p>/p/c,d"}, {StartForm::Folder, "/p/c,d"}},
  };
  for (const auto& [words, wanted] : argumentRows) {
    EXPECT_EQ(ParseStartArguments(static_cast<int>(words.size()), words.data()), wanted)
        << JoinCommandTail(static_cast<int>(words.size()), words.data());
  }
}

}  // namespace
}  // namespace tavrek::app
