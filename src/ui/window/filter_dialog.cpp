#include "ui/window/filter_dialog.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "core/app/control_ids.h"
#include "core/app/identity.h"
#include "ui/common/text.h"
#include "ui/window/control_states.h"

namespace tavrek::ui {

FilterDialog::FilterDialog(const QString& text, QWidget* parent)
    : QDialog(parent), text_(new QLineEdit(text, this)), mode_(new QComboBox(this)) {
  setWindowTitle(ToQString(app::kProductName) + QStringLiteral(" Filter"));
  if (parent) setWindowIcon(parent->window()->windowIcon());
  auto* prompt = new QLabel(
      QStringLiteral("Als Trennzeichen \";\" verwenden (z.B *.txt;*.dok;) "), this);
  prompt->setProperty(kControlIdProperty, app::control::kFilterDialogPrompt);
  text_->setProperty(kControlIdProperty, app::control::kFilterDialogText);
  mode_->setProperty(kControlIdProperty, app::control::kFilterDialogMode);
  mode_->addItem(QStringLiteral(">> Nur diese Dateien Protokollieren"));
  mode_->addItem(QStringLiteral(">> Diese Dateien nicht Protokollieren "));
  mode_->setCurrentIndex(kFilterModeExcludeIndex);

  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
  buttons->button(QDialogButtonBox::Ok)->setText(QStringLiteral("OK"));
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);

  auto* layout = new QVBoxLayout(this);
  layout->addWidget(prompt);
  layout->addWidget(text_);
  layout->addWidget(mode_);
  layout->addWidget(buttons);
}

FilterDialogAnswer FilterDialog::answer() const {
  return {text_->text().left(1023), mode_->currentIndex()};
}

}  // namespace tavrek::ui
