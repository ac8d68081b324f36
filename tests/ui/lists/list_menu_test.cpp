#include "ui/lists/list_menu.h"

#include <gtest/gtest.h>

#include <QMenu>
#include <QStandardItemModel>
#include <QTableView>

#include "core/app/command_ids.h"
#include "core/app/settings_store.h"
#include "support/temp_folder.h"
#include "ui/common/dialogs.h"
#include "ui/common/text.h"
#include "ui/lists/explore_path.h"
#include "ui/lists/raw_path_role.h"
#include "ui/lists/tree_list.h"
#include "ui/window/access_overview_model.h"
#include "ui/window/change_log_model.h"
#include "ui/support/ui_helpers.h"

namespace tavrek::ui {
namespace {

using tavrek::testing::TempFolder;

namespace cmd = app::command;
namespace entry = app::list_menu;

class ListMenuTest : public ::testing::Test {
 protected:
  void SetUp() override {
    Dialogs::Reset();
    SetFileManagerCall([this](const ExploreRequest& request, std::function<void(bool)> answered) {
      requests_.push_back(request);
      answered(fileManagerAnswers_);
    });
  }
  void TearDown() override { SetFileManagerCall({}); }

  // A log-like list: the path in column 3.
  void FillLog(const QStringList& paths) {
    model_.setColumnCount(4);
    for (const QString& path : paths) {
      model_.appendRow({new QStandardItem(), new QStandardItem(QStringLiteral("12:00")),
                        new QStandardItem(QStringLiteral("Erstellen")), new QStandardItem(path)});
    }
    list_.setModel(&model_);
  }

  TempFolder folder_;
  app::SettingsStore settings_{(folder_ / "Tavrek.ini").string()};
  QStandardItemModel model_;
  QTableView list_;
  std::vector<ExploreRequest> requests_;
  bool fileManagerAnswers_ = true;
};

TEST_F(ListMenuTest, ListMenuShowsTheMarkedPathAndActsOnIt) {
  const QString file = ToQString((folder_ / "a.txt").string());
  folder_.Write("a.txt");
  FillLog({file, QString(65, QLatin1Char('x'))});
  QString filtered;
  bool exported = false;
  ListMenuHooks hooks{&settings_, [&] { exported = true; }, [&](const QString& path) { filtered = path; }, {}, {}};

  ShowListMenu(list_, window::ListKind::Log, 3, QPoint(), hooks);  // nothing marked
  const auto& none = Dialogs::menus().back();
  ASSERT_EQ(none.size(), 7u);
  EXPECT_EQ(none[5].text, QStringLiteral("Explore (Kein Path markiert)"));
  EXPECT_FALSE(none[6].enabled);
  EXPECT_TRUE(none[1].isDefault);

  list_.setCurrentIndex(model_.index(1, 0));
  ShowListMenu(list_, window::ListKind::Log, 3, QPoint(), hooks);
  EXPECT_EQ(Dialogs::menus().back()[6].text, QStringLiteral("Filter (") + QString(63, QLatin1Char('x')) +
                                                 QStringLiteral(" ...)"));

  list_.setCurrentIndex(model_.index(0, 2));
  for (int choice : {entry::kFilterPath, entry::kExplorePath, cmd::kListExport, cmd::kToggleGridLines}) {
    Dialogs::QueueMenuChoice(choice);
    ShowListMenu(list_, window::ListKind::Log, 3, QPoint(), hooks);
  }
  EXPECT_EQ(filtered, file);
  ASSERT_EQ(requests_.size(), 1u);
  EXPECT_EQ(requests_[0].method, QStringLiteral("ShowFolders"));
  EXPECT_EQ(requests_[0].uris, QStringList{QUrl::fromLocalFile(ToQString(folder_.path().string())).toString()});
  EXPECT_TRUE(exported);
  EXPECT_FALSE(list_.showGrid());
  EXPECT_EQ(settings_.GetInt("ShowLinie", "Liste_Log", -1), 0);
  EXPECT_TRUE(Dialogs::openedUrls().empty());  // the file manager answered
}

TEST_F(ListMenuTest, ExplorePathSelectsAFileAndFallsBackToTheFolder) {
  const std::filesystem::path file = folder_.Write("b c.txt");
  ExplorePath(ToQString(file.string()), true);
  ASSERT_EQ(requests_.size(), 1u);
  EXPECT_EQ(requests_[0].method, QStringLiteral("ShowItems"));
  EXPECT_EQ(requests_[0].uris, QStringList{QUrl::fromLocalFile(ToQString(file.string())).toString(QUrl::FullyEncoded)});

  // A deleted file opens its former folder; with no file manager, xdg-open.
  fileManagerAnswers_ = false;
  ExplorePath(ToQString((folder_ / "gone.txt").string()), true);
  EXPECT_EQ(requests_.back().method, QStringLiteral("ShowFolders"));
  ASSERT_EQ(Dialogs::openedUrls().size(), 1u);
  EXPECT_EQ(Dialogs::openedUrls().front().toLocalFile(), ToQString(folder_.path().string()));
  Dialogs::QueueOpenUrlFailure();  // neither a file manager nor xdg-open: a message names the folder
  ExplorePath(ToQString((folder_ / "gone.txt").string()), false);
  ASSERT_EQ(Dialogs::messages().size(), 1u);
  EXPECT_TRUE(Dialogs::messages()[0].text.endsWith(ToQString(folder_.path().string())));
  Dialogs::QueueOpenUrlFailure(true);  // xdg-open ran but found no application: the same message
  ExplorePath(ToQString((folder_ / "gone.txt").string()), false);
  ASSERT_EQ(Dialogs::messages().size(), 2u);
  ExplorePath(QString(), true);
  EXPECT_EQ(requests_.size(), 4u);
}

// The bytes of the local path a file URI names.
std::string PathOfUri(const QString& uri) {
  return QByteArray::fromPercentEncoding(QUrl(uri, QUrl::StrictMode).path(QUrl::FullyEncoded).toLatin1()).toStdString();
}

TEST_F(ListMenuTest, ExploreAndFilterTakeTheRowsRealPathNotItsEscapedText) {
  engine::ChangeLog log;  // rows of folders the lists show escaped, each holding a file
  engine::AccessOverview overview;
  for (const std::string name : {"back\\slash", "esc\x1b[1m", "caf\xE9"}) {
    engine::ChangeEvent event;
    event.action = engine::Action::kCreated;
    event.path = folder_.Write(name + "/f").string();
    log.AddEvent(event, "");
    overview.Add(event);
  }
  ChangeLogModel logModel(log);
  AccessOverviewModel overviewModel(overview);
  logModel.Flush();
  overviewModel.Flush();
  QString pattern;
  const ListMenuHooks hooks{&settings_, {}, [&](const QString& proposed) { pattern = proposed; }, {}, {}};
  for (const auto& [model, column] : {std::pair<QAbstractItemModel*, int>{&logModel, 3}, {&overviewModel, 1}}) {
    list_.setModel(model);
    for (int row = 0; row < 3; ++row) {
      const std::string path = model->index(row, 0).data(kRawPathRole).toByteArray().toStdString();
      const std::string folder = path.substr(0, path.size() - 2);
      list_.setCurrentIndex(model->index(row, column));
      for (int choice : {entry::kExplorePath, entry::kFilterPath}) {
        Dialogs::QueueMenuChoice(choice);
        ShowListMenu(list_, window::ListKind::Log, column, QPoint(), hooks);
      }
      EXPECT_EQ(PathOfUri(requests_.back().uris.value(0)), folder);
      // A pattern is text shown as it is: it stops before a byte that is no
      // UTF-8 or a control character, and so still matches.
      const size_t cut = path.find_first_of("\xE9\x1b");
      EXPECT_EQ(ToUtf8(pattern), path.substr(0, cut));
      ExplorePath(path, true);  // "Explore && markiere" of the toolbars
      EXPECT_EQ(PathOfUri(requests_.back().uris.value(0)), path);
    }
  }
}

TEST_F(ListMenuTest, TreeMenuExpandsByLevelsAndSwitchesItsFlags) {
  QStandardItemModel model;
  auto* top = new QStandardItem(QStringLiteral("/"));
  auto* sub = new QStandardItem(QStringLiteral("sub"));
  sub->appendRow(new QStandardItem(QStringLiteral("deep")));
  top->appendRow(sub);
  model.appendRow(top);
  TreeList tree;
  tree.setModel(&model);
  tree.resize(400, 300);
  tree.show();
  std::vector<int> passed;
  TreeMenuHooks hooks{&settings_, {}, [&](const QModelIndex&) { return folder_.path().string(); },
                      [&](int command) { passed.push_back(command); }};
  const QPoint onTop = tree.visualRect(model.indexFromItem(top)).center();
  const bool gridLines = tree.gridLines();

  Dialogs::QueueMenuChoice(entry::kExpandAll);
  ShowTreeMenu(tree, onTop, hooks);
  const auto& entries = Dialogs::menus().back();
  ASSERT_EQ(entries.size(), 16u);
  EXPECT_EQ(entries[8].text, QStringLiteral("Scann /"));
  EXPECT_TRUE(entries[8].isDefault);
  EXPECT_TRUE(tree.isExpanded(model.indexFromItem(sub)));

  for (int choice : {entry::kExpandLevel0 + 1, entry::kTransparentMarking, cmd::kToggleGridLines,
                     cmd::kFitColumns, entry::kShowFiles}) {
    Dialogs::QueueMenuChoice(choice);
    ShowTreeMenu(tree, onTop, hooks);
  }
  EXPECT_TRUE(tree.isExpanded(model.indexFromItem(top)));
  EXPECT_FALSE(tree.isExpanded(model.indexFromItem(sub)));  // one level: the children closed
  EXPECT_TRUE(tree.transparentMarking());
  EXPECT_NE(tree.gridLines(), gridLines);
  EXPECT_EQ(settings_.GetInt("ShowLinie", "Liste_Gruppe", -1), gridLines ? 0 : 1);
  EXPECT_EQ(passed, (std::vector<int>{cmd::kFitColumns, entry::kShowFiles}));
  EXPECT_TRUE(Dialogs::menus().back()[6].checked);  // the marking is ticked now

  ShowTreeMenu(tree, QPoint(5, 290), hooks);  // below the rows: the list entries only
  EXPECT_EQ(Dialogs::menus().back().size(), 5u);
}

}  // namespace
}  // namespace tavrek::ui
