#include <sys/stat.h>

#include <QAction>
#include <QApplication>
#include <QTranslator>

#include "core/app/command_ids.h"
#include "core/app/start_command.h"
#include "core/app/start_help_text.h"
#include "ui/common/text.h"
#include "ui/app/translations.h"
#include "ui/app/frame_fixture.h"
#include "ui/app/frame_tab_bar.h"
#include "ui/app/start_help_window.h"

namespace tavrek::ui {
namespace {

namespace cmd = app::command;
using testing::TempFolder;

QString MissingDocument(const QString& path) {
  return QStringLiteral("Fehler, beim Öffnen der Quelldatei.\nRead failed, Source file.\n") + path;
}

TEST_F(FrameTest, HelpOrAnEmptyStartOpensAMaximisedWindowAndTheStartHelpUnlessSwitchedOff) {
  StartOutcome helpOnly = Begin("-help");  // the help window only, ending with 1
  EXPECT_TRUE(helpOnly.exitCode == 1 && !helpOnly.frame && helpShown_ == 1);
  StartOutcome outcome = Begin("");
  QList<QMdiSubWindow*> windows = Windows(*outcome.frame);
  ASSERT_EQ(windows.size(), 2);
  ASSERT_TRUE(Watch(windows[0]));
  EXPECT_TRUE(windows[0]->isMaximized());
  auto* help = qobject_cast<StartHelpWindow*>(windows[1]->widget());
  ASSERT_TRUE(help);
  EXPECT_TRUE(windows[1]->isMaximized());
  EXPECT_EQ(windows[1]->windowTitle(), QStringLiteral("Starthilfe"));
  ASSERT_EQ(help->list()->rowCount(), 18);
  EXPECT_EQ(help->list()->horizontalHeaderItem(0)->text(), QStringLiteral("Starthilfe"));
  const std::vector<std::string> rows = app::StartHelpRows("Tavrek");
  for (int row = 0; row < 18; ++row) {
    EXPECT_EQ(help->list()->item(row, 0)->text(), ToQString(rows[static_cast<size_t>(row)])) << row;
  }
  // The column spans the window and cuts no tip.
  outcome.frame->resize(1400, 700);
  QApplication::processEvents();
  EXPECT_GE(help->list()->columnWidth(0), help->list()->viewport()->width());
  EXPECT_GE(help->list()->columnWidth(0), static_cast<QAbstractItemView*>(help->list())->sizeHintForColumn(0));

  settings_.WriteInt("Start", "Info", 0);
  StartOutcome quiet = Begin("");
  ASSERT_EQ(Windows(*quiet.frame).size(), 1);
  EXPECT_TRUE(Watch(Windows(*quiet.frame)[0]));
}

// Settings files that are there but unreadable are named on stderr; the start goes on.
TEST_F(FrameTest, AFifoAsSettingsFileIsNamedAndTheStartGoesOn) {
  for (const char* name : {"Tavrek.ini", "registry.reg"}) {
    ASSERT_EQ(mkfifo((config_.path() / name).c_str(), 0600), 0);
  }
  ::testing::internal::CaptureStderr();
  StartOutcome outcome = Begin("");
  const std::string said = ::testing::internal::GetCapturedStderr();
  EXPECT_TRUE(outcome.frame);
  for (const char* name : {"Tavrek.ini", "registry.reg"}) {
    EXPECT_NE(said.find((config_.path() / name).string() + ": "), std::string::npos) << said;
  }
}

// A tail and the folders its one maximised window watches; none: the tail
// names a document that cannot be read, and "&Neu" still opens the first window.
TEST_F(FrameTest, EveryTailOpensItsWindowOrSaysWhichDocumentFailed) {
  TempFolder a, b, c, folder;
  const std::string fifo = (folder.path() / "pipe.tvk").string();
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
  const std::string document = folder.Write("mein setup/a b.tvk", "[DIR]\r\n" + a.path().string() + "\r\n");
  const std::string A = a.path().string(), B = b.path().string(), C = c.path().string();
  const std::pair<std::string, QStringList> rows[] = {
      {"/e>" + A + ">", {Q(A)}},
      {"/e>" + A + ">" + B + "," + C + ",", {Q(B), Q(C)}},  // field two, every comma piece
      {"\"" + document + "\"", {Q(A)}},
      {document, {Q(A)}},
      {"-HELP", {}},  // only the exact word asks for help
      {"\"" + (folder.path() / "fehlt.tvk").string() + "\"", {}},
      {"\"" + fifo + "\"", {}},
      {"\"" + folder.path().string() + "\"", {}},
  };
  for (const auto& [tail, folders] : rows) {
    Dialogs::Reset();
    StartOutcome outcome = Begin(tail);
    ASSERT_TRUE(outcome.frame) << tail;
    EXPECT_FALSE(outcome.exitCode);
    if (folders.isEmpty()) {
      EXPECT_TRUE(Windows(*outcome.frame).isEmpty()) << tail;
      const std::string path = tail.starts_with('"') ? tail.substr(1, tail.size() - 2) : tail;
      ASSERT_EQ(Dialogs::messages().size(), 1u) << tail;
      EXPECT_EQ(Dialogs::messages()[0].caption, QString());
      // A FIFO or a folder is said to be no file on a line of its own.
      EXPECT_TRUE(Dialogs::messages()[0].text.startsWith(MissingDocument(QString::fromStdString(path))));
      outcome.frame->HandleCommand(cmd::kNewWindow);
    }
    EXPECT_EQ(Dialogs::messages().size(), folders.isEmpty() ? 1u : 0u) << tail;
    ASSERT_EQ(Windows(*outcome.frame).size(), 1) << tail;
    EXPECT_TRUE(Windows(*outcome.frame)[0]->isMaximized()) << tail;
    if (!folders.isEmpty()) {
      EXPECT_EQ(Sorted(Folders(*Watch(Windows(*outcome.frame)[0]))), Sorted(folders)) << tail;
    }
  }
  EXPECT_EQ(helpShown_, 0);
}

// What the file managers' actions start: the folder arrives whole, even with
// a sibling "c" that splitting "c,d" at its comma would watch.
TEST_F(FrameTest, TheFolderOptionWatchesItsOneFolderWhole) {
  TempFolder parent;
  parent.Write("c/.keep");
  for (const std::string name : {"c,d", "a>b"}) {
    const std::string folder = parent.Write(name + "/.keep").parent_path().string();
    const char* argv[] = {"tavrek", "--folder", folder.c_str()};
    StartOutcome outcome = BeginRun(app::ParseStartArguments(3, argv), app::JoinCommandTail(3, argv),
                                    "/usr/bin/tavrek", Services(), [] {});
    ASSERT_EQ(Windows(*outcome.frame).size(), 1) << name;
    EXPECT_EQ(Folders(*Watch(Windows(*outcome.frame)[0])), QStringList{Q(folder)});
  }
}

// Needs Debian's qt6-translations-l10n, which the install script brings.
TEST(TranslationsTest, StockDialogButtonsSpeakGerman) {
  QApplication& application = *qApp;
  ASSERT_TRUE(InstallGermanQtTranslation(application));
  EXPECT_EQ(QCoreApplication::translate("QPlatformTheme", "Cancel"), QStringLiteral("Abbrechen"));
  for (QTranslator* translator : application.findChildren<QTranslator*>()) {
    QCoreApplication::removeTranslator(translator);
    delete translator;
  }
  EXPECT_EQ(QCoreApplication::translate("QPlatformTheme", "Cancel"), QStringLiteral("Cancel"));
}

}  // namespace
}  // namespace tavrek::ui
