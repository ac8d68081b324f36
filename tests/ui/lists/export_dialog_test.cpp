#include "ui/lists/export_dialog.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include <QChildEvent>
#include <QDialog>
#include <QDir>
#include <QWidget>

#include "core/app/settings_store.h"
#include "support/temp_folder.h"
#include "ui/common/dialogs.h"
#include "ui/common/text.h"
#include "ui/support/ui_helpers.h"

namespace tavrek::ui {
namespace {

using tavrek::testing::TempFolder;

lists::FlatListSource TwoColumns(size_t rows) {
  lists::FlatListSource list;
  list.layout.columns = {{"Name", 100}, {"Zeit", 80}};
  list.rowCount = rows;
  list.cell = [](size_t row, int column, std::string& text) {
    text = column == 0 ? "row " + std::to_string(row) : "12:00";
  };
  return list;
}

class ExportDialogTest : public ::testing::Test {
 protected:
  void SetUp() override { Dialogs::Reset(); }
  int StoredIndex() const { return settings_.GetInt("List", "ExportIndex", -1); }

  TempFolder folder_;
  app::SettingsStore settings_{(folder_ / "Tavrek.ini").string()};
  QWidget parent_;
};

TEST_F(ExportDialogTest, TheDialogOffersTheFourFormatsAndRemembersTheChosenOne) {
  settings_.WriteInt("List", "ExportIndex", 3);
  const std::string typed = (folder_ / "out.CSV").string();
  Dialogs::QueueSaveFileChoice(SaveFileChoice{ToQString(typed), 1});
  ExportList(&parent_, &settings_, TwoColumns(2), QStringLiteral("Tavrek_Log"));

  ASSERT_EQ(Dialogs::saveFileRequests().size(), 1u);
  const SaveFileRequest& request = Dialogs::saveFileRequests().front();
  EXPECT_EQ(request.filters, (QStringList{QStringLiteral("Textdatei Tabgetrennt(*.txt)"), QStringLiteral("CSV (*.csv)"),
                                          QStringLiteral("html (*.html)"), QStringLiteral("XLS (*.xls)")}));
  EXPECT_EQ(request.selectedFilter, 2);
  EXPECT_EQ(request.proposedName, QStringLiteral("Export_Tavrek_Log"));
  EXPECT_EQ(StoredIndex(), 2);
  // A CSV extension in capitals stays; the written file is opened.
  EXPECT_EQ(Bytes(typed), "\"Name\";\"Zeit\";\r\n\"row 0\";\"12:00\";\r\n\"row 1\";\"12:00\";\r\n");
  ASSERT_EQ(Dialogs::openedUrls().size(), 1u);
  EXPECT_EQ(Dialogs::openedUrls().front().toLocalFile(), ToQString(typed));

  // A name without the format's extension gets it; a tree proposes a cleaned name.
  Dialogs::QueueSaveFileChoice(SaveFileChoice{ToQString((folder_ / "page.htm").string()), 2});
  const auto target = ChooseExportFile(&parent_, &settings_, QStringLiteral("a/b:c"), true);
  ASSERT_TRUE(target);
  EXPECT_EQ(target->path, (folder_ / "page.htm.html").string());
  EXPECT_EQ(target->format, lists::ExportFormat::Html);
  EXPECT_EQ(Dialogs::saveFileRequests().back().proposedName, QStringLiteral("Export_a_b;c"));
  // The chooser starts at home, then in the folder of the last file chosen.
  EXPECT_EQ(Dialogs::saveFileRequests()[0].folder, QDir::homePath());
  EXPECT_EQ(Dialogs::saveFileRequests()[1].folder, ToQString(folder_.path().string()));
}

TEST(DialogsTest, ADialogIsWideEnoughForItsWholeTitle) {
  QDialog named;
  named.setWindowTitle(QStringLiteral("Tavrek Desktopverknüpfung"));
  Dialogs::KeepTitleWhole(named);
  EXPECT_GT(named.minimumWidth(), named.fontMetrics().horizontalAdvance(named.windowTitle()) +
                                     3 * named.fontMetrics().height());  // and the title bar's buttons
}

TEST_F(ExportDialogTest, CancellingTheDialogTheProgressOrTheQuestionLeavesNoFileAndNoSetting) {
  settings_.WriteInt("List", "ExportIndex", 4);
  Dialogs::QueueSaveFileChoice(std::nullopt);
  ExportList(&parent_, &settings_, TwoColumns(2), QStringLiteral("Tavrek"));
  EXPECT_EQ(StoredIndex(), 4);

  const std::filesystem::path path = folder_ / "big.txt";
  Dialogs::QueueSaveFileChoice(SaveFileChoice{ToQString(path.string()), 0});
  Dialogs::QueueProgressCancel();
  ExportList(&parent_, &settings_, TwoColumns(5000), QStringLiteral("Tavrek"));
  EXPECT_FALSE(std::filesystem::exists(path));
  // Cancel pressed once every row is written still leaves no file, whatever the format.
  for (int index = 0; index < 4; ++index) {
    Dialogs::QueueProgressCancel();
    Dialogs::QueueSaveFileChoice(SaveFileChoice{ToQString((folder_ / "empty").string()), index});
    ExportList(&parent_, &settings_, TwoColumns(0), QStringLiteral("Tavrek"));
  }
  // Nothing beside it either: the temporary file went too.
  // Only the ini and the lock of its writes.
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder_.path()), {}), 2);
  EXPECT_TRUE(Dialogs::openedUrls().empty());
  EXPECT_TRUE(Dialogs::messages().empty());

  // Only a flat list asks before replacing a file; a refused name changes no setting.
  const std::filesystem::path old = folder_.Write("old.txt", "keep me");
  const int index = StoredIndex();
  Dialogs::QueueSaveFileChoice(SaveFileChoice{ToQString(old.string()), 0});
  Dialogs::QueueMessageAnswer(QMessageBox::No);
  ExportList(&parent_, &settings_, TwoColumns(1), QStringLiteral("Tavrek"));
  ASSERT_EQ(Dialogs::messages().size(), 1u);
  EXPECT_TRUE(Dialogs::messages().front().text.startsWith(ToQString(old.string())));
  EXPECT_EQ(Bytes(old), "keep me");
  EXPECT_EQ(StoredIndex(), index);
  Dialogs::QueueSaveFileChoice(SaveFileChoice{ToQString(old.string()), 0});
  EXPECT_TRUE(ChooseExportFile(&parent_, &settings_, QStringLiteral("Tavrek"), true));
  EXPECT_EQ(Dialogs::messages().size(), 1u);  // no second question
}

// Counts the messages shown by the time each child of the window goes.
class Owner : public QWidget {
 public:
  std::vector<size_t> messagesWhenChildLeft;

 protected:
  void childEvent(QChildEvent* event) override {
    if (event->removed()) messagesWhenChildLeft.push_back(Dialogs::messages().size());
  }
};

TEST_F(ExportDialogTest, FailuresAndLeftOutRowsAreTold) {
  const std::string inFolder = folder_.path().string();  // a folder is no file
  WriteExport(&parent_, ExportTarget{inFolder, lists::ExportFormat::Csv}, TwoColumns(1));
  ASSERT_EQ(Dialogs::messages().size(), 1u);
  EXPECT_TRUE(Dialogs::messages().back().text.startsWith(QStringLiteral("Fehler beim Öffnen der Datei :") +
                                                          ToQString(inFolder)));
  WriteExport(&parent_, ExportTarget{inFolder, lists::ExportFormat::Html}, TwoColumns(1));
  EXPECT_TRUE(Dialogs::messages().back().text.startsWith(QStringLiteral("Error file open !!")));
  const std::string kept = (folder_.path() / "kept.csv").string();  // write-protected
  std::ofstream(kept) << "mine";
  std::filesystem::permissions(kept, std::filesystem::perms::owner_read);
  WriteExport(&parent_, ExportTarget{kept, lists::ExportFormat::Csv}, TwoColumns(1));
  EXPECT_TRUE(Dialogs::messages().back().text.endsWith(QStringLiteral("\nDie Datei ist schreibgeschützt.")));
  EXPECT_TRUE(Dialogs::openedUrls().empty());

  Owner owner;  // the rows left out are told once the progress dialog is gone
  const std::string xls = (folder_ / "big.xls").string();
  EXPECT_EQ(WriteExport(&owner, ExportTarget{xls, lists::ExportFormat::Xls}, TwoColumns(16386)).rowsLeftOut, 3u);
  EXPECT_EQ(owner.messagesWhenChildLeft, std::vector<size_t>{3});
  EXPECT_EQ(Dialogs::messages().back().text,
            QStringLiteral("Eine XLS-Datei fasst nicht mehr als 16384 Zeilen: 3 Zeilen wurden weggelassen."));
  EXPECT_EQ(Dialogs::openedUrls().size(), 1u);
}

}  // namespace
}  // namespace tavrek::ui
