#include "ui/setups/setup_io.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <QCheckBox>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <filesystem>

#include "core/app/command_ids.h"
#include "core/app/control_ids.h"
#include "core/platform/file_io.h"
#include "support/temp_folder.h"
#include "ui/common/dialogs.h"
#include "ui/common/text.h"
#include "ui/support/ui_helpers.h"
#include "ui/window/filter_list_controller.h"
#include "ui/window/watch_window.h"

namespace tavrek::ui {
namespace {

namespace cmd = app::command;
namespace id = app::control;
using tavrek::testing::TempFolder;

struct ListRow {
  QString first;
  QString second;
  bool checked = false;
  bool operator==(const ListRow&) const = default;
};

std::vector<ListRow> Rows(const QTableWidget& list) {
  std::vector<ListRow> rows;
  for (int row = 0; row < list.rowCount(); ++row) {
    const QTableWidgetItem* second = list.columnCount() > 1 ? list.item(row, 1) : nullptr;
    rows.push_back({list.item(row, 0)->text(), second ? second->text() : QString(),
                    list.item(row, 0)->checkState() == Qt::Checked});
  }
  return rows;
}

class SetupIoTest : public ::testing::Test {
 protected:
  void SetUp() override { Dialogs::Reset(); }

  static std::unique_ptr<WatchWindow> MakeWindow() {
    auto window = std::make_unique<WatchWindow>(WatchWindowContext{});
    window->resize(1000, 700);
    window->show();
    return window;
  }
  static QString FilteredLabel(WatchWindow& window) {
    return static_cast<QLabel*>(window.Control(id::kFilteredCount))->text();
  }
  static std::vector<bool> Boxes(WatchWindow& window) {
    std::vector<bool> states;
    for (int boxId = id::kBoxCreation; boxId <= id::kBoxSubtree; ++boxId) {
      states.push_back(Box(window, boxId)->isChecked());
    }
    return states;
  }

  // A window holding two folders, three filter rows (one unchecked) and some
  // options cleared, not watching.
  std::unique_ptr<WatchWindow> PreparedWindow() {
    auto window = MakeWindow();
    engine::WatchSetup setup;
    setup.folders = {(folder_ / "b").string(), (folder_ / "Ä a").string()};
    setup.filterRows = {{"*.tmp", engine::FilterKind::kExclude, true},
                        {"*.txt", engine::FilterKind::kInclude, false},
                        {"/x/Öl", engine::FilterKind::kExclude, true}};
    setup.options.remove = 0;
    setup.options.subtree = 0;
    setup.logFilterMode = engine::LogFilterMode::kLogOnlyThese;
    window->session().Apply(setup);
    window->FlushViews();
    return window;
  }

  TempFolder folder_;
};

TEST_F(SetupIoTest, SavedSetupLoadsIntoAnotherWindowRowForRow) {
  auto source = PreparedWindow();
  const std::string base = (folder_ / "setup").string();
  ASSERT_TRUE(SaveSetup(*source, ToQString(base), false, 0));
  EXPECT_TRUE(Dialogs::messages().empty());  // a new file: no question
  const std::string path = base + ".tvk";
  EXPECT_NE(Bytes(path).find("[Filter]\r\n*.tmp=1=1\r\n*.txt=0=0\r\n/x/Öl=1=1\r\n"), std::string::npos);

  auto target = MakeWindow();
  ASSERT_TRUE(LoadSetup(*target, ToQString(path), true));
  EXPECT_EQ(Rows(*target->folders().list()), Rows(*source->folders().list()));
  ASSERT_EQ(target->folders().list()->rowCount(), 2);
  EXPECT_EQ(Rows(*target->filters().list()), Rows(*source->filters().list()));
  EXPECT_FALSE(Rows(*target->filters().list())[1].checked);
  EXPECT_EQ(Boxes(*target), Boxes(*source));
  EXPECT_FALSE(Box(*target, id::kBoxDelete)->isChecked());
  EXPECT_EQ(target->filters().logFilterCaption(), QStringLiteral(">> Nur diese Dateien Protokollieren"));
  EXPECT_FALSE(target->session().watching());
  EXPECT_EQ(target->session().options().remove, 0);
}

TEST_F(SetupIoTest, OverwriteQuestionDecidesAndTheFilteredCountGoesBackToZero) {
  auto window = PreparedWindow();
  const std::string path = folder_.Write("old.TVK", "old content").string();
  engine::EventBatch batch;
  batch.generation = window->session().generation();
  batch.events.emplace_back().path = "/elsewhere/a.txt";  // kept out in "log only these" mode
  window->session().queue().Push(std::move(batch));
  window->FlushViews();
  ASSERT_EQ(FilteredLabel(*window), QStringLiteral("Gefiltert:1"));
  for (QMessageBox::StandardButton answer : {QMessageBox::No, QMessageBox::Cancel}) {
    Dialogs::QueueMessageAnswer(answer);
    EXPECT_FALSE(SaveSetup(*window, ToQString(path), false, 0));
    EXPECT_EQ(Bytes(path), "old content");
    EXPECT_EQ(FilteredLabel(*window), QStringLiteral("Gefiltert:0"));
  }
  EXPECT_EQ(Dialogs::messages().back().text,
            ToQString(path) + QStringLiteral("\nDiese Datei ist bereits vorhanden.\nDatei überschreiben ?"));
  Dialogs::QueueMessageAnswer(QMessageBox::Yes);
  EXPECT_TRUE(SaveSetup(*window, ToQString(path), false, 0));
  EXPECT_TRUE(Bytes(path).starts_with("[DIR]\r\n"));
  EXPECT_TRUE(SaveSetup(*window, ToQString(path), true, 0));  // no question asked
  EXPECT_EQ(Dialogs::messages().size(), 3u);
}

TEST_F(SetupIoTest, StartWatchGoesIntoTheDocumentAndStartsTheWindowThatOpensIt) {
  auto window = PreparedWindow();
  std::filesystem::create_directories(folder_ / "b");
  ASSERT_TRUE(SaveSetup(*window, ToQString((folder_ / "start.tvk").string()), false, 1));
  EXPECT_FALSE(window->session().watching());  // saving leaves the watch alone
  EXPECT_NE(Bytes(folder_ / "start.tvk").find("StartWatch=1\r\n"), std::string::npos);

  auto other = MakeWindow();
  ASSERT_TRUE(other->HandleCommand(cmd::kOpenSetup, ToQString((folder_ / "start.tvk").string())));
  EXPECT_TRUE(other->session().watching());  // started once: a second press would have stopped it
  EXPECT_EQ(static_cast<QPushButton*>(other->Control(id::kStartStop))->text(), QStringLiteral("Stop ...."));
  EXPECT_EQ(other->folders().list()->rowCount(), 2);

  // No folders: the start command is still sent.
  const auto empty = folder_.Write("empty.tvk", "[DIR]\r\n[Optionen]\r\nStartWatch=1\r\n");
  auto third = MakeWindow();
  ASSERT_TRUE(LoadSetup(*third, ToQString(empty.string()), true));
  EXPECT_EQ(third->folders().list()->rowCount(), 0);
  EXPECT_TRUE(third->session().watching());
}

TEST_F(SetupIoTest, UnreadableDocumentsAndWhatASaveLeavesOutOrALoadRefusesAreNamed) {
  auto window = PreparedWindow();
  const auto folders = Rows(*window->folders().list());
  const auto filters = Rows(*window->filters().list());
  const std::string fifo = (folder_ / "fifo.tvk").string();
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
  const std::string large = (folder_ / "large.tvk").string();
  std::filesystem::resize_file(folder_.Write("large.tvk"), setups::kMaxDocumentBytes + 1);
  const std::pair<std::string, QString> unread[] = {
      {(folder_ / "missing.tvk").string(), QString()},
      {fifo, QStringLiteral("\nUnter diesem Namen liegt keine Datei, sondern ein Ordner, eine "
                            "FIFO, ein Gerät oder ein Socket.")},
      {large, QStringLiteral("\nDie Datei ist zu groß für ein Überwachungssetup (mehr als 16 MiB).")},
      {folder_.Write("noise.tvk", std::string(4096, '\xA7')).string(),
       QStringLiteral("\nDie Datei ist kein Überwachungssetup: ihr fehlen die Abschnitte [DIR], "
                      "[Filter] und [Optionen].")},
  };
  for (const auto& [path, reason] : unread) {
    EXPECT_FALSE(LoadSetup(*window, ToQString(path), true));
    ASSERT_FALSE(Dialogs::messages().empty());
    EXPECT_EQ(Dialogs::messages().back().text,
              QStringLiteral("Fehler, beim Öffnen der Quelldatei.\nRead failed, Source file.\n") +
                  ToQString(path) + reason);
    EXPECT_EQ(Rows(*window->folders().list()), folders);
    EXPECT_EQ(Rows(*window->filters().list()), filters);
  }
  EXPECT_FALSE(LoadSetup(*window, ToQString(fifo), false));
  EXPECT_EQ(Dialogs::messages().size(), 4u);

  Dialogs::Reset();
  EXPECT_FALSE(SaveSetup(*window, ToQString(fifo), true, 0));
  ASSERT_EQ(Dialogs::messages().size(), 1u);
  EXPECT_TRUE(Dialogs::messages().back().text.startsWith(
      QStringLiteral("Fehler, beim Öffnen der Zieldatei.\nWrite failed, Target file.\n")));
  // A document the user write-protected is kept, and the box says why.
  const auto locked = folder_.Write("locked.tvk", "[DIR]\r\n");
  std::filesystem::permissions(locked, std::filesystem::perms::owner_read);
  EXPECT_FALSE(SaveSetup(*window, ToQString(locked.string()), true, 0));
  EXPECT_TRUE(Dialogs::messages().back().text.endsWith(QStringLiteral("\nDie Datei ist schreibgeschützt.")));
  EXPECT_EQ(platform::ReadTextFile(locked.string()).bytes, "[DIR]\r\n");

  // What a save leaves out or a load refuses is named in a message.
  window->session().Apply({{"/tmp/a\nb", "/tmp/c"}, {}, {}, {}});
  window->FlushViews();
  const std::string kept = (folder_ / "kept.tvk").string();
  ASSERT_TRUE(SaveSetup(*window, ToQString(kept), false, 0));
  EXPECT_EQ(Dialogs::messages().back().text,
            ToQString(kept) + QStringLiteral("\nNicht gespeichert:\n"
                                             "Ordner \"/tmp/a\\x0ab\": Zeilenumbruch im Text"));
  EXPECT_EQ(window->folders().list()->rowCount(), 2);  // saving never changes the window's setup
  const auto nul = folder_.Write("nul.tvk", std::string("[DIR]\r\n/tmp\0x\r\n", 15)).string();
  ASSERT_TRUE(LoadSetup(*window, ToQString(nul), true));
  EXPECT_EQ(Dialogs::messages().back().text,
            ToQString(nul) + QStringLiteral("\nNicht geladen:\nOrdner \"/tmp\\x00x\": NUL-Byte im Text"));
}

}  // namespace
}  // namespace tavrek::ui
