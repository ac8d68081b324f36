#include "ui/common/folder_dialog.h"

#include <QDialogButtonBox>
#include <QDir>
#include <QFileInfo>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <vector>

namespace tavrek::ui {

FolderDialog::FolderDialog(QWidget* parent, const QString& caption, const QString& prompt,
                           const QString& start)
    : QFileDialog(parent, caption, start) {
  // The desktop's own dialog would refuse a folder that does not exist.
  setOption(QFileDialog::DontUseNativeDialog);
  setFileMode(QFileDialog::Directory);
  setOption(QFileDialog::ShowDirsOnly);
  if (!start.isEmpty()) selectFile(start);
  AllowMissingFolders();
  PutPromptAbove(prompt);
}

// A long prompt as the "Look in" label would widen the label column and
// squeeze the boxes beside it: it goes on a wrapped line of its own above
// the controls, which move one row down.
void FolderDialog::PutPromptAbove(const QString& prompt) {
  auto* grid = qobject_cast<QGridLayout*>(layout());
  if (!grid) {
    setLabelText(QFileDialog::LookIn, prompt);
    return;
  }
  struct Placed {
    QLayoutItem* item;
    int row, column, rows, columns;
  };
  std::vector<Placed> placed;
  while (grid->count() > 0) {
    Placed entry{};
    grid->getItemPosition(0, &entry.row, &entry.column, &entry.rows, &entry.columns);
    entry.item = grid->takeAt(0);
    placed.push_back(entry);
  }
  auto* label = new QLabel(prompt, this);
  label->setObjectName(QStringLiteral("promptLabel"));
  label->setWordWrap(true);
  grid->addWidget(label, 0, 0, 1, -1);
  for (const Placed& entry : placed) {
    grid->addItem(entry.item, entry.row + 1, entry.column, entry.rows, entry.columns);
  }
}

// The stock dialog greys its button while the typed folder does not exist;
// it is enabled again after each of the dialog's own updates.
void FolderDialog::AllowMissingFolders() {
  auto* name = findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
  auto* buttons = findChild<QDialogButtonBox*>(QStringLiteral("buttonBox"));
  if (!name || !buttons) return;
  QPushButton* choose = buttons->button(QDialogButtonBox::Open);
  if (!choose) return;
  connect(name, &QLineEdit::textChanged, choose,
          [choose](const QString& text) { choose->setEnabled(!text.trimmed().isEmpty()); });
}

// What the name box says, relative to the folder shown; empty when it is empty.
QString FolderDialog::TypedFolder() const {
  const auto* name = findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
  const QString text = name ? name->text().trimmed() : QString();
  return text.isEmpty() ? QString() : QDir::cleanPath(directory().absoluteFilePath(text));
}

void FolderDialog::accept() {
  const QString typed = TypedFolder();
  if (!typed.isEmpty() && !QFileInfo::exists(typed)) {
    chosen_ = typed;
    QDialog::accept();  // the stock check would say "Directory not found"
    return;
  }
  QFileDialog::accept();
  if (result() == QDialog::Accepted) chosen_ = selectedFiles().value(0);
}

}  // namespace tavrek::ui
