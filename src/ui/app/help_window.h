#pragma once
// The help window of "-help": a modal dialog on the command line and the
// program.
#include <QDialog>

namespace tavrek::ui {

class HelpWindow : public QDialog {
  Q_OBJECT

 public:
  explicit HelpWindow(QWidget* parent = nullptr);

  // The text shown, as HTML.
  static QString Text();
};

}  // namespace tavrek::ui
