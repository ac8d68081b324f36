#include "ui/app/dialogs.h"

#include <QApplication>
#include <QFileDialog>
#include <QMenu>

#include "ui/app/folder_dialog.h"

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
};

Answers& answers() {
  static Answers state;
  return state;
}

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
  if (state.testMode) return Take(state.menuChoices).value_or(0);
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

std::optional<QString> Dialogs::ChooseFile(QWidget* parent, FileMode mode, const QString& caption,
                                          const QString& filter) {
  Answers& state = answers();
  if (state.testMode) return Take(state.fileChoices).value_or(std::nullopt);
  // Replacing a file is asked by whoever writes it, in its own words.
  const QString path =
      mode == FileMode::Open
          ? QFileDialog::getOpenFileName(parent, caption, QString(), filter)
          : QFileDialog::getSaveFileName(parent, caption, QString(), filter, nullptr,
                                         QFileDialog::DontConfirmOverwrite);
  if (path.isEmpty()) return std::nullopt;
  return path;
}

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
  const bool testMode = answers().testMode;
  answers() = Answers{};
  answers().testMode = testMode;
}

}  // namespace tavrek::ui
