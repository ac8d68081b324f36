#pragma once
// Controls of the install dialogs, named by their control id so that tests and
// screenshots find them.
#include <QIcon>
#include <QString>

class QCheckBox;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QWidget;

namespace tavrek::ui {

QPushButton* IdButton(const QString& text, int id, QWidget* parent);
QCheckBox* IdCheck(const QString& text, int id, bool checked, QWidget* parent);
QRadioButton* IdRadio(const QString& text, int id, QWidget* parent);
QLineEdit* IdEdit(const QString& text, int id, QWidget* parent);
// The program icon, drawn from the built-in SVG.
QIcon ProgramIcon();

}  // namespace tavrek::ui
