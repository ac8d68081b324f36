#include "ui/install/install_widgets.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

#include "ui/common/program_icon.h"

namespace tavrek::ui {
namespace {

template <typename Widget>
Widget* Named(Widget* widget, int id) {
  widget->setObjectName(QString::number(id));
  return widget;
}

}  // namespace

QPushButton* IdButton(const QString& text, int id, QWidget* parent) {
  return Named(new QPushButton(text, parent), id);
}

QCheckBox* IdCheck(const QString& text, int id, bool checked, QWidget* parent) {
  auto* box = Named(new QCheckBox(text, parent), id);
  box->setChecked(checked);
  return box;
}

QRadioButton* IdRadio(const QString& text, int id, QWidget* parent) {
  return Named(new QRadioButton(text, parent), id);
}

QLineEdit* IdEdit(const QString& text, int id, QWidget* parent) {
  return Named(new QLineEdit(text, parent), id);
}

QIcon ProgramIcon() { return ProgramWindowIcon(); }

}  // namespace tavrek::ui
