#include "ui/app/folder_dialog.h"

#include <QFileInfo>

namespace tavrek::ui {

FolderDialog::FolderDialog(QWidget* parent, const QString& caption, const QString& prompt,
                           const QString& start)
    : QFileDialog(parent, caption, start) {
  // The desktop's own dialog would refuse a folder that does not exist.
  setOption(QFileDialog::DontUseNativeDialog);
  setFileMode(QFileDialog::Directory);
  setOption(QFileDialog::ShowDirsOnly);
  setLabelText(QFileDialog::LookIn, prompt);
  if (!start.isEmpty()) selectFile(start);
}

void FolderDialog::accept() {
  const QStringList files = selectedFiles();
  if (files.size() == 1 && !files.constFirst().isEmpty() && !QFileInfo::exists(files.constFirst())) {
    chosen_ = files.constFirst();
    QDialog::accept();  // the stock check would say "Directory not found"
    return;
  }
  QFileDialog::accept();
  if (result() == QDialog::Accepted && !files.isEmpty()) chosen_ = selectedFiles().value(0);
}

}  // namespace tavrek::ui
