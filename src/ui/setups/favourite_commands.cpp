#include "ui/setups/favourite_commands.h"

#include <QCheckBox>
#include <QDialog>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStandardPaths>
#include <QVBoxLayout>

#include "core/app/identity.h"
#include "core/app/settings_store.h"
#include "core/platform/file_io.h"
#include "core/setups/favourites.h"
#include "ui/common/dialogs.h"
#include "ui/common/text.h"
#include "ui/lists/explore_path.h"
#include "ui/setups/setup_host.h"
#include "ui/setups/setup_io.h"

namespace tavrek::ui {
namespace {

namespace fav = setups;

QString Product() { return ToQString(app::kProductName); }

int StoredStartWatch(const app::SettingsStore* settings) {
  if (settings == nullptr) return fav::kDefaultStartWatch;
  return settings->GetInt(fav::kStartWatchSection, fav::kStartWatchKey, fav::kDefaultStartWatch) ? 1 : 0;
}

}  // namespace

// Dialog 203: the name, OK only while there is one, the start check box
// stored at every click; Escape or the close box cancel.
std::optional<NamedSave> RunNameDialog(QWidget* parent, app::SettingsStore* settings,
                                       const QString& title) {
  QDialog dialog(parent);
  dialog.setWindowTitle(title);
  Dialogs::KeepTitleWhole(dialog);
  auto* layout = new QVBoxLayout(&dialog);
  auto* prompt = new QLabel(&dialog);  // the prompt line, empty in every use
  auto* name = new QLineEdit(&dialog);
  name->setMaxLength(1023);
  auto* start = new QCheckBox(ToQString(fav::kStartWatchBox), &dialog);
  auto* ok = new QPushButton(QStringLiteral("OK"), &dialog);
  ok->setDefault(true);
  for (QWidget* widget : std::initializer_list<QWidget*>{prompt, name, start, ok}) layout->addWidget(widget);
  ok->setEnabled(false);
  QObject::connect(name, &QLineEdit::textChanged, ok, [ok](const QString& text) { ok->setEnabled(!text.isEmpty()); });
  QObject::connect(ok, &QPushButton::clicked, &dialog, &QDialog::accept);
  QObject::connect(start, &QCheckBox::toggled, &dialog, [settings](bool on) {
    if (settings != nullptr) settings->WriteInt(fav::kStartWatchSection, fav::kStartWatchKey, on ? 1 : 0);
  });
  name->setText(ToQString(fav::DateName(platform::GetLocalTime())));
  start->setChecked(StoredStartWatch(settings) != 0);
  if (dialog.exec() != QDialog::Accepted) return std::nullopt;
  return NamedSave{name->text(), start->isChecked() ? 1 : 0};
}

QString FavouritesFolder(const app::SettingsStore* settings) {
  if (settings == nullptr) return {};
  const std::string stored = settings->GetString(fav::kFavouritesSection, fav::kFavouritesFolderKey, "");
  return ToQString(fav::NormaliseFavouritesFolder(stored));
}

QString EnsureFavouritesFolder(QWidget* parent, app::SettingsStore* settings) {
  const QString folder = FavouritesFolder(settings);
  if (fav::FavouritesFolderUsable(ToUtf8(folder))) return folder;
  const QString prompt = ToQString(fav::ChooseFolderPrompt(app::kProductName));
  Dialogs::Message(parent, QMessageBox::NoIcon, QString(), prompt);
  const std::optional<FolderChoice> chosen = Dialogs::ChooseFolder(parent, prompt, prompt, folder);
  if (!chosen || chosen->path.isEmpty()) return {};
  if (settings != nullptr) {
    settings->WriteString(fav::kFavouritesSection, fav::kFavouritesFolderKey, ToUtf8(chosen->path));
  }
  return ToQString(fav::NormaliseFavouritesFolder(ToUtf8(chosen->path)));
}

QString DesktopFolder() {
  const QString desktop = QStandardPaths::writableLocation(QStandardPaths::DesktopLocation);
  return desktop.isEmpty() ? QDir::homePath() + QStringLiteral("/Desktop") : desktop;
}

std::optional<NamedSave> AskFavouriteName(QWidget* parent, app::SettingsStore* settings,
                                          const QString& title) {
  std::optional<NameAnswer> answer =
      Dialogs::AskName([&]() -> std::optional<NameAnswer> {
        auto named = RunNameDialog(parent, settings, title);
        if (!named) return std::nullopt;
        return NameAnswer{named->name, named->startWatch};
      });
  if (!answer || answer->name.isEmpty()) return std::nullopt;
  const std::string name = ToUtf8(answer->name);
  if (!fav::FavouriteNameUsable(name)) {
    Dialogs::Message(parent, QMessageBox::Critical, QString(), ToQString(fav::UnusableFavouriteNameText(name)));
    return std::nullopt;
  }
  return NamedSave{answer->name, answer->startWatch};
}

void AddToFavourites(SetupHost& window, app::SettingsStore* settings) {
  const QString folder = EnsureFavouritesFolder(window.hostWidget(), settings);
  if (folder.isEmpty()) return;
  const auto named = AskFavouriteName(window.hostWidget(), settings, Product() + ToQString(fav::kFavouritesTitleSuffix));
  if (!named) return;
  const std::string path = fav::FavouritePath(ToUtf8(folder), ToUtf8(named->name));
  SaveSetup(window, ToQString(path), false, named->startWatch);
}

void SaveToDesktop(SetupHost& window, app::SettingsStore* settings) {
  const auto named = AskFavouriteName(window.hostWidget(), settings, Product() + ToQString(fav::kDesktopTitleSuffix));
  if (!named) return;
  // A fresh account may have no desktop folder yet: it is made, as installing makes it.
  const QString desktop = DesktopFolder();
  platform::MakeFolders(ToUtf8(desktop));
  SaveSetup(window, desktop + QStringLiteral("/") + named->name, false, named->startWatch);
}

void ManageFavourites(QWidget* parent, app::SettingsStore* settings) {
  const QString folder = EnsureFavouritesFolder(parent, settings);
  if (!folder.isEmpty()) ExplorePath(folder, false);  // the folder text ends in "/"
}

}  // namespace tavrek::ui
