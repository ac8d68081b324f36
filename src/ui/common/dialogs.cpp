#include "ui/common/dialogs.h"

#include <QApplication>
#include <QDesktopServices>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QMenu>
#include <QProcess>
#include <QProgressDialog>
#include <QStyle>
#include <algorithm>
#include <utility>

#include "ui/common/folder_dialog.h"

namespace tavrek::ui {
namespace {

struct Answers {
  bool testMode = false;
  std::deque<int> menuChoices;
  std::deque<std::optional<FolderChoice>> folderChoices;
  std::deque<std::optional<FilterDialogAnswer>> filterAnswers;
  std::deque<QMessageBox::StandardButton> messageAnswers;
  std::deque<std::optional<QString>> fileChoices;
  std::deque<Dialogs::Recorded> messages;
  std::deque<std::optional<SaveFileChoice>> saveChoices;
  std::deque<SaveFileRequest> saveRequests;
  std::deque<QUrl> openedUrls;
  bool cancelProgress = false;
  bool openUrlFails = false;
  bool openUrlFailsLater = false;  // the opener starts, then ends with an error
  std::deque<std::optional<NameAnswer>> nameAnswers;
  std::deque<std::vector<Dialogs::RecordedEntry>> menus;
};

Answers& answers() {
  static Answers state;
  return state;
}

// The folder of the last file chosen in a file dialog.
QString& lastFolder() {
  static QString folder;
  return folder;
}

void RememberFolderOf(const QString& file) {
  if (!file.isEmpty()) lastFolder() = QFileInfo(file).absolutePath();
}

constexpr int kTitleBarButtons = 4;  // the icon, minimise, maximise, close
constexpr int kTitleBarLines = 2;    // a title bar's height in text lines

template <typename T>
std::optional<T> Take(std::deque<T>& queue) {
  if (queue.empty()) return std::nullopt;
  T value = std::move(queue.front());
  queue.pop_front();
  return value;
}

}  // namespace

QMessageBox::StandardButton Dialogs::Message(QWidget* parent, QMessageBox::Icon icon,
                                             const QString& caption, const QString& text,
                                             QMessageBox::StandardButtons buttons) {
  Answers& state = answers();
  if (state.testMode) {
    state.messages.push_back({caption, text});
    return Take(state.messageAnswers).value_or(QMessageBox::Ok);
  }
  QMessageBox box(icon, caption, text, buttons, parent);
  return static_cast<QMessageBox::StandardButton>(box.exec());
}

int Dialogs::PopupMenu(QMenu& menu, const QPoint& globalPosition) {
  Answers& state = answers();
  if (state.testMode) {
    std::vector<RecordedEntry> entries;
    for (const QAction* action : menu.actions()) {
      entries.push_back({action->isSeparator() ? 0 : action->data().toInt(), action->text(),
                         action->isEnabled(), action->isChecked(), menu.defaultAction() == action});
    }
    state.menus.push_back(std::move(entries));
    return Take(state.menuChoices).value_or(0);
  }
  QAction* chosen = menu.exec(globalPosition);
  return chosen ? chosen->data().toInt() : 0;
}

std::optional<FolderChoice> Dialogs::ChooseFolder(QWidget* parent, const QString& caption,
                                                  const QString& prompt, const QString& start) {
  Answers& state = answers();
  if (state.testMode) return Take(state.folderChoices).value_or(std::nullopt);
  FolderDialog dialog(parent, caption, prompt, start);
  if (dialog.exec() != QDialog::Accepted) return std::nullopt;
  const bool ctrl = QApplication::queryKeyboardModifiers().testFlag(Qt::ControlModifier);
  return FolderChoice{dialog.chosenFolder(), ctrl};
}

std::optional<FilterDialogAnswer> Dialogs::AskFilter(
    const std::function<std::optional<FilterDialogAnswer>()>& show) {
  Answers& state = answers();
  if (state.testMode) return Take(state.filterAnswers).value_or(std::nullopt);
  return show();
}

QString Dialogs::StartFolder() {
  const QString& folder = lastFolder();
  return !folder.isEmpty() && QFileInfo(folder).isDir() ? folder : QDir::homePath();
}

std::optional<QString> Dialogs::ChooseFile(QWidget* parent, FileMode mode, const QString& caption,
                                          const QString& filter) {
  Answers& state = answers();
  std::optional<QString> path;
  if (state.testMode) {
    path = Take(state.fileChoices).value_or(std::nullopt);
  } else {
    // Replacing a file is asked by whoever writes it, in its own words.
    const QString chosen =
        mode == FileMode::Open
            ? QFileDialog::getOpenFileName(parent, caption, StartFolder(), filter)
            : QFileDialog::getSaveFileName(parent, caption, StartFolder(), filter, nullptr,
                                           QFileDialog::DontConfirmOverwrite);
    if (!chosen.isEmpty()) path = chosen;
  }
  if (path) RememberFolderOf(*path);
  return path;
}

std::optional<NameAnswer> Dialogs::AskName(const std::function<std::optional<NameAnswer>()>& show) {
  Answers& state = answers();
  if (state.testMode) return Take(state.nameAnswers).value_or(std::nullopt);
  return show();
}

void Dialogs::QueueNameAnswer(std::optional<NameAnswer> answer) {
  answers().nameAnswers.push_back(std::move(answer));
}

std::optional<SaveFileChoice> Dialogs::ChooseSaveFile(QWidget* parent,
                                                     const SaveFileRequest& request) {
  Answers& state = answers();
  if (state.testMode) {
    std::optional<SaveFileChoice> choice = Take(state.saveChoices).value_or(std::nullopt);
    state.saveRequests.push_back(request);
    state.saveRequests.back().folder = StartFolder();
    if (choice) state.saveRequests.back().path = choice->path;
    if (choice) RememberFolderOf(choice->path);
    return choice;
  }
  QFileDialog dialog(parent, request.caption, StartFolder());
  dialog.setAcceptMode(QFileDialog::AcceptSave);
  dialog.setFileMode(QFileDialog::AnyFile);
  dialog.setOption(QFileDialog::DontConfirmOverwrite);
  dialog.setNameFilters(request.filters);
  if (request.selectedFilter >= 0 && request.selectedFilter < request.filters.size()) {
    dialog.selectNameFilter(request.filters.at(request.selectedFilter));
  }
  if (!request.proposedName.isEmpty()) dialog.selectFile(request.proposedName);
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
  RememberFolderOf(dialog.selectedFiles().constFirst());
  return SaveFileChoice{dialog.selectedFiles().constFirst(),
                        std::max(0, static_cast<int>(request.filters.indexOf(dialog.selectedNameFilter())))};
}

void Dialogs::KeepTitleWhole(QWidget& dialog) {
  QFont bold = dialog.font();
  bold.setBold(true);
  const int caption = QFontMetrics(bold).horizontalAdvance(dialog.windowTitle());
  const int button = std::max(dialog.style()->pixelMetric(QStyle::PM_TitleBarHeight),
                              kTitleBarLines * dialog.fontMetrics().height());
  dialog.setMinimumWidth(std::max(dialog.minimumWidth(), caption + kTitleBarButtons * button));
}

bool Dialogs::ProgressCancelled(const QProgressDialog& progress) {
  Answers& state = answers();
  if (state.testMode) return std::exchange(state.cancelProgress, false);
  return progress.wasCanceled();
}

bool Dialogs::OpenUrl(const QUrl& url, std::function<void()> failedLater) {
  Answers& state = answers();
  if (state.testMode) {
    state.openedUrls.push_back(url);
    if (std::exchange(state.openUrlFailsLater, false) && failedLater) failedLater();
    return !std::exchange(state.openUrlFails, false);
  }
  if (!failedLater) return QDesktopServices::openUrl(url);
  // Arguments, never a command line: the URL is one argument whatever it holds.
  auto* opener = new QProcess;
  opener->setStandardOutputFile(QProcess::nullDevice());
  opener->setStandardErrorFile(QProcess::nullDevice());
  QObject::connect(opener, &QProcess::finished, opener,
                   [opener, failedLater](int code, QProcess::ExitStatus status) {
                     if (status != QProcess::NormalExit || code != 0) failedLater();
                     opener->deleteLater();
                   });
  QObject::connect(opener, &QProcess::errorOccurred, opener,
                   [opener, url, failedLater](QProcess::ProcessError error) {
                     if (error != QProcess::FailedToStart) return;
                     if (!QDesktopServices::openUrl(url)) failedLater();
                     opener->deleteLater();
                   });
  opener->start(QStringLiteral("xdg-open"), {url.toString(QUrl::FullyEncoded)});
  return true;
}

void Dialogs::QueueOpenUrlFailure(bool later) {
  (later ? answers().openUrlFailsLater : answers().openUrlFails) = true;
}

void Dialogs::QueueSaveFileChoice(std::optional<SaveFileChoice> choice) {
  answers().saveChoices.push_back(std::move(choice));
}
void Dialogs::QueueProgressCancel() { answers().cancelProgress = true; }
const std::deque<SaveFileRequest>& Dialogs::saveFileRequests() { return answers().saveRequests; }
const std::deque<std::vector<Dialogs::RecordedEntry>>& Dialogs::menus() { return answers().menus; }
const std::deque<QUrl>& Dialogs::openedUrls() { return answers().openedUrls; }

void Dialogs::QueueMenuChoice(int choice) { answers().menuChoices.push_back(choice); }
void Dialogs::QueueFolderChoice(std::optional<FolderChoice> choice) {
  answers().folderChoices.push_back(std::move(choice));
}
void Dialogs::QueueFilterAnswer(std::optional<FilterDialogAnswer> answer) {
  answers().filterAnswers.push_back(std::move(answer));
}
void Dialogs::QueueMessageAnswer(QMessageBox::StandardButton answer) {
  answers().messageAnswers.push_back(answer);
}
void Dialogs::QueueFileChoice(std::optional<QString> path) {
  answers().fileChoices.push_back(std::move(path));
}
const std::deque<Dialogs::Recorded>& Dialogs::messages() { return answers().messages; }
void Dialogs::SetTestMode(bool on) { answers().testMode = on; }
void Dialogs::Reset() {
  lastFolder().clear();
  const bool testMode = answers().testMode;
  answers() = Answers{};
  answers().testMode = testMode;
}

}  // namespace tavrek::ui
