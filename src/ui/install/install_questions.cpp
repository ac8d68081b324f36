#include "ui/install/install_questions.h"

#include "ui/common/dialogs.h"
#include "ui/common/text.h"

namespace tavrek::ui {

bool DialogQuestions::ConfirmOverwrite(const std::string& text) {
  return Dialogs::Message(owner_, QMessageBox::Question, QString(), ToQString(text),
                          QMessageBox::Ok | QMessageBox::Cancel) == QMessageBox::Ok;
}

bool DialogQuestions::RetryCopy(const std::string& text) {
  return Dialogs::Message(owner_, QMessageBox::NoIcon, QString(), ToQString(text),
                          QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel) ==
         QMessageBox::Yes;
}

void DialogQuestions::Tell(const std::string& caption, const std::string& text) {
  Dialogs::Message(owner_, QMessageBox::NoIcon, ToQString(caption), ToQString(text));
}

}  // namespace tavrek::ui
