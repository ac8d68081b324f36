#include "ui/window/folder_watch_choice.h"

#include <gtest/gtest.h>

#include "core/app/command_ids.h"
#include "support/temp_folder.h"
#include "ui/common/dialogs.h"
#include "ui/window/window_fixture.h"

namespace tavrek::ui {
namespace {

namespace choice = app::menu_choice;

// The choice goes to the session; the list shows it in the folder's tooltip.
TEST_F(WatchWindowTest, TheFolderMenuOverTheListChoosesHowMarkedFoldersAreWatched) {
  testing::TempFolder folder;
  auto window = MakeWindow();
  window->HandleCommand(app::command::kDoScan, QString::fromStdString(folder.path().string()));
  window->folders().list()->selectAll();
  Dialogs::QueueMenuChoice(choice::kFolderWatchChoiceFirst + 3);
  window->folders().ShowMenu({}, true);
  EXPECT_EQ(Dialogs::menus().back().back().text, QStringLiteral("Überwachungsart"));
  EXPECT_EQ(window->session().WatchChoiceOf(0), engine::BackendType::Poll);
  EXPECT_TRUE(window->folders().list()->item(0, 0)->toolTip().endsWith(
      QStringLiteral("Gewählt: Abfragen (Polling)")));

  window->folders().ShowMenu({}, false);  // from the button: no rows to choose for
  EXPECT_NE(Dialogs::menus().back().back().text, QStringLiteral("Überwachungsart"));
}

}  // namespace
}  // namespace tavrek::ui
