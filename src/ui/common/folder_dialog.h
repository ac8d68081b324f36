#pragma once
// The folder chooser. Unlike the stock directory dialog it accepts a typed
// folder that does not exist (yet): the watch then reports that it cannot
// open it, which is what the user asked to see.
#include <QFileDialog>

namespace tavrek::ui {

class FolderDialog : public QFileDialog {
  Q_OBJECT

 public:
  FolderDialog(QWidget* parent, const QString& caption, const QString& prompt,
               const QString& start);

  // The folder chosen or typed; empty before the dialog was accepted.
  QString chosenFolder() const { return chosen_; }

  void accept() override;

 private:
  void AllowMissingFolders();
  void PutPromptAbove(const QString& prompt);
  QString TypedFolder() const;

  QString chosen_;
};

}  // namespace tavrek::ui
