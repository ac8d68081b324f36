#pragma once
// The installation's questions as message boxes owned by the dialog.
#include "core/install/installer.h"

class QWidget;

namespace tavrek::ui {

class DialogQuestions : public install::InstallQuestions {
 public:
  explicit DialogQuestions(QWidget* owner) : owner_(owner) {}
  bool ConfirmOverwrite(const std::string& text) override;
  bool RetryCopy(const std::string& text) override;
  void Tell(const std::string& caption, const std::string& text) override;

 private:
  QWidget* owner_;
};

}  // namespace tavrek::ui
