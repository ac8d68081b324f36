#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QDialog>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTimer>
#include <fstream>

#include "core/app/settings_store.h"
#include "support/scoped_environment.h"
#include "support/temp_folder.h"
#include "ui/common/dialogs.h"
#include "ui/common/text.h"
#include "ui/lists/explore_path.h"
#include "ui/setups/favourite_commands.h"
#include "ui/setups/favourites_menu.h"
#include "ui/support/ui_helpers.h"
#include "ui/window/watch_window.h"

namespace tavrek::ui {
namespace {

using tavrek::testing::TempFolder;

class FavouritesUiTest : public ::testing::Test {
 protected:
  void SetUp() override {
    Dialogs::Reset();
    menu_.addAction(QStringLiteral("Zu Favoriten hinzufügen"));
    menu_.addAction(QStringLiteral("&Verwalten"));
    menu_.addSeparator();
  }
  QString FolderText() const { return ToQString(favourites_.slashed()); }

  TempFolder favourites_;
  TempFolder config_;
  app::SettingsStore settings_{(config_ / "Tavrek.ini").string()};
  QMenu menu_;
};

TEST_F(FavouritesUiTest, MenuListsTheFolderWithSubMenusFilledWhenOpened) {
  favourites_.Write("b.tvk");
  favourites_.Write("a notes.txt");
  favourites_.Write("Sub/inner.tvk");
  favourites_.Write("Sub/Deeper/x.tvk");
  QString folder;  // none at first: the menu keeps its own items
  FavouritesMenu favourites(menu_, [&folder] { return folder; });
  favourites.Rebuild();
  EXPECT_EQ(menu_.actions().size(), 3);
  folder = FolderText();
  QSignalSpy chosen(&favourites, &FavouritesMenu::favouriteChosen);

  for (int build = 0; build < 2; ++build) {  // a second build gives the same ids
    favourites.Rebuild();
    const QList<QAction*> actions = menu_.actions();
    ASSERT_EQ(actions.size(), 7);
    EXPECT_EQ(actions[3]->text(), QStringLiteral("Sub"));
    ASSERT_NE(actions[3]->menu(), nullptr);
    EXPECT_TRUE(actions[3]->menu()->isEmpty());
    EXPECT_EQ(actions[4]->text(), QStringLiteral("a notes.txt"));
    EXPECT_EQ(actions[4]->data().toInt(), 1001);
    EXPECT_EQ(actions[5]->data().toInt(), 1002);
    EXPECT_EQ(actions[6]->text(), QStringLiteral("Im selben Fenster mit [Strg]"));
    EXPECT_FALSE(actions[6]->isEnabled());
  }
  QMenu* sub = menu_.actions()[3]->menu();
  emit sub->aboutToShow();
  ASSERT_EQ(sub->actions().size(), 2);
  EXPECT_EQ(sub->actions()[0]->text(), QStringLiteral("Deeper"));
  EXPECT_EQ(sub->actions()[1]->data().toInt(), 1003);
  emit sub->aboutToShow();  // filled once
  EXPECT_EQ(sub->actions().size(), 2);

  EXPECT_TRUE(favourites.Open(1003, true));
  EXPECT_FALSE(favourites.Open(1004, false));
  ASSERT_EQ(chosen.size(), 1);
  EXPECT_EQ(chosen[0][0].toString(), ToQString((favourites_ / "Sub/inner.tvk").string()));
  EXPECT_TRUE(chosen[0][1].toBool());
  EXPECT_TRUE(menu_.actions()[4]->toolTip().startsWith(QStringLiteral("Name : a notes.txt\nTyp : ")));
  favourites_.Write("n\nl&.tvk");  // shown as the lists show it, "&" no mnemonic
  favourites.Rebuild();
  EXPECT_EQ(menu_.actions()[6]->text(), QStringLiteral("n\\x0al&&.tvk"));
  favourites_.Write("z\xff.tvk");  // could not be opened by its name: not offered
  favourites.Rebuild();
  EXPECT_EQ(menu_.actions()[7]->text(), QStringLiteral("z\\xff.tvk"));
  EXPECT_FALSE(menu_.actions()[7]->isEnabled());
  EXPECT_TRUE(menu_.actions()[6]->isEnabled());
}

TEST_F(FavouritesUiTest, AddingAsksForAFolderFirstThenSavesUnderTheNameAndTheDesktopFolderIsMade) {
  settings_.WriteString("Favoriten", "Ordner", (favourites_ / "gone").string());
  WatchWindow window(WatchWindowContext{});
  Dialogs::QueueFolderChoice(FolderChoice{ToQString(favourites_.path().string()), false});
  Dialogs::QueueNameAnswer(NameAnswer{QStringLiteral("Mein.TVK"), 0});
  AddToFavourites(window, &settings_);
  ASSERT_FALSE(Dialogs::messages().empty());
  EXPECT_EQ(Dialogs::messages().front().text,
            QStringLiteral("Bitte wählen Sie einen Ordner für das Speichern der Tavrek Favoriten aus"));
  EXPECT_EQ(settings_.GetString("Favoriten", "Ordner", ""), favourites_.path().string());
  EXPECT_TRUE(std::filesystem::exists(favourites_ / "Mein.TVK"));

  // The folder is known now: no question; a cancelled name writes nothing.
  Dialogs::Reset();
  Dialogs::QueueNameAnswer(std::nullopt);
  AddToFavourites(window, &settings_);
  EXPECT_TRUE(Dialogs::messages().empty());
  Dialogs::QueueNameAnswer(NameAnswer{QStringLiteral("Zweite"), 1});
  AddToFavourites(window, &settings_);
  EXPECT_TRUE(std::filesystem::exists(favourites_ / "Zweite.tvk"));
  // A name that would lead out of the folder is refused, and nothing written.
  Dialogs::QueueNameAnswer(NameAnswer{QStringLiteral("../escaped"), 1});
  AddToFavourites(window, &settings_);
  EXPECT_EQ(Dialogs::messages().front().text, QStringLiteral("Fehler, der Name darf kein \"/\" enthalten und "
                                                             "nicht \".\" oder \"..\" sein.\nInvalid name.\n../escaped"));
  EXPECT_FALSE(std::filesystem::exists(favourites_.path().parent_path() / "escaped.tvk"));
  Dialogs::Reset();

  // Saving to the desktop makes a missing desktop folder.
  TempFolder home;
  const testing::ScopedEnvironment homeVariable("HOME", home.path().c_str());
  const testing::ScopedEnvironment configVariable("XDG_CONFIG_HOME", (home / "config").c_str());
  Dialogs::QueueNameAnswer(NameAnswer{QStringLiteral("Auf dem Tisch"), 0});
  SaveToDesktop(window, &settings_);
  EXPECT_TRUE(Dialogs::messages().empty());
  EXPECT_TRUE(std::filesystem::exists(home / "Desktop/Auf dem Tisch.tvk"));
}

TEST_F(FavouritesUiTest, ManagingOpensTheFolderAndACancelledChoiceDoesNothing) {
  std::vector<ExploreRequest> requests;
  SetFileManagerCall([&](const ExploreRequest& request, std::function<void(bool)> answered) {
    requests.push_back(request);
    answered(true);
  });
  ManageFavourites(nullptr, &settings_);  // no folder yet, and the chooser is cancelled
  EXPECT_TRUE(requests.empty());
  settings_.WriteString("Favoriten", "Ordner", favourites_.path().string());
  ManageFavourites(nullptr, &settings_);
  SetFileManagerCall({});
  ASSERT_EQ(requests.size(), 1u);
  EXPECT_EQ(requests[0].uris, QStringList{QUrl::fromLocalFile(ToQString(favourites_.path().string())).toString()});
}

QDialog* OpenDialog() {
  for (QWidget* widget : QApplication::topLevelWidgets()) {
    if (auto* dialog = qobject_cast<QDialog*>(widget); dialog && dialog->isVisible()) return dialog;
  }
  return nullptr;
}

TEST_F(FavouritesUiTest, NameDialogOffersTheDateAndStoresTheStartBoxAtOnce) {
  settings_.WriteInt("FAV", "seitenansicht", 0);
  QString offered, title;
  bool startShown = true, okWithoutName = true;
  std::function<void()> answer = [&] {
    QDialog* dialog = OpenDialog();
    if (!dialog) {
      QTimer::singleShot(0, answer);
      return;
    }
    title = dialog->windowTitle();
    auto* name = dialog->findChild<QLineEdit*>();
    auto* start = dialog->findChild<QCheckBox*>();
    auto* ok = dialog->findChild<QPushButton*>();
    offered = name->text();
    startShown = start->isChecked();
    start->click();
    name->clear();
    okWithoutName = ok->isEnabled();
    name->setText(QStringLiteral("Mein Name"));
    ok->click();
  };
  QTimer::singleShot(0, answer);
  const auto named = RunNameDialog(nullptr, &settings_, QStringLiteral("Tavrek Favoriten"));
  ASSERT_TRUE(named);
  EXPECT_EQ(named->name, QStringLiteral("Mein Name"));
  EXPECT_EQ(named->startWatch, 1);
  EXPECT_EQ(title, QStringLiteral("Tavrek Favoriten"));
  EXPECT_TRUE(QRegularExpression(QStringLiteral("^[1-9][0-9]?\\.[0-9]{2}\\.[0-9]{4} [0-9]{2}-[0-9]{2}$"))
                  .match(offered)
                  .hasMatch())
      << offered.toStdString();
  EXPECT_FALSE(startShown);
  EXPECT_FALSE(okWithoutName);
  EXPECT_EQ(settings_.GetInt("FAV", "seitenansicht", -1), 1);
}

}  // namespace
}  // namespace tavrek::ui
