#include "ui/app/address_box.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>

namespace tavrek::ui {

AddressBox::AddressBox(QWidget* parent) : QWidget(parent) {
  auto* layout = new QHBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  auto* label = new QLabel(QStringLiteral("Adresse"), this);
  combo_ = new QComboBox(this);
  combo_->setEditable(true);
  combo_->setInsertPolicy(QComboBox::InsertAtTop);
  combo_->setDuplicatesEnabled(false);
  combo_->setFixedWidth(kWidth);
  label->setBuddy(combo_);
  layout->addWidget(label);
  layout->addWidget(combo_);
  layout->addStretch();
  // The edit field hands the focus to the box, which passes its keys on to
  // the field directly, past any filter there: Enter is seen at the box.
  // Tab is seen wherever it arrives first.
  combo_->installEventFilter(this);
  combo_->lineEdit()->installEventFilter(this);
}

bool AddressBox::eventFilter(QObject* watched, QEvent* event) {
  if (watched != combo_ && watched != combo_->lineEdit()) return false;
  if (event->type() != QEvent::KeyPress) return false;
  const auto* key = static_cast<QKeyEvent*>(event);
  if (watched == combo_ && (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter)) {
    emit openRequested(combo_->lineEdit()->text());
    return false;  // the box still keeps the text in its list
  }
  if (key->key() == Qt::Key_Tab && !(key->modifiers() & Qt::ControlModifier)) {
    emit focusWindowRequested();
    return true;
  }
  return false;
}

}  // namespace tavrek::ui
