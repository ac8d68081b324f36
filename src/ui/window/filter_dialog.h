#pragma once
// The filter dialog: a text of patterns separated by ";" and whether they are
// to be logged only or never.
#include <QDialog>

#include "ui/common/dialogs.h"

class QComboBox;
class QLineEdit;

namespace tavrek::ui {

inline constexpr int kFilterModeIncludeIndex = 0;
inline constexpr int kFilterModeExcludeIndex = 1;

class FilterDialog : public QDialog {
  Q_OBJECT

 public:
  FilterDialog(const QString& text, QWidget* parent = nullptr);
  FilterDialogAnswer answer() const;

  QLineEdit* textEdit() const { return text_; }
  QComboBox* modeBox() const { return mode_; }

 private:
  QLineEdit* text_;
  QComboBox* mode_;
};

}  // namespace tavrek::ui
