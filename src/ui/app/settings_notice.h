#pragma once
// Tells the user, once in a run, that the settings cannot be read or saved:
// a message box over the frame, in German, naming the file and the reason.
// What happens after that (every further failed write) stays quiet; the
// settings go on in force for the run and the file is left as it is.
#include <QObject>
#include <string>

#include "core/app/settings_problem.h"

class QWidget;

namespace tavrek::app {
class SettingsStore;
}

namespace tavrek::ui {

class SettingsNotice : public QObject {
  Q_OBJECT

 public:
  // Listens to the store's failed writes until it goes; `store` may be null.
  SettingsNotice(QWidget& owner, app::SettingsStore* store);
  ~SettingsNotice() override;
  SettingsNotice(const SettingsNotice&) = delete;
  SettingsNotice& operator=(const SettingsNotice&) = delete;

  // Checks whether the settings file could be read, once the frame is up.
  void CheckAtStart();
  bool told() const { return told_; }

 private:
  // The box comes when the event loop is back, not inside the write.
  void TellSoon(app::SettingsAccess access, app::SettingsProblem problem);

  QWidget& owner_;
  app::SettingsStore* store_;
  bool told_ = false;
};

}  // namespace tavrek::ui
