#pragma once
// Tells the user, once in a run for each file, that the settings cannot be
// read or saved: a message box over the frame, in German, naming the file and
// the reason. The settings file and the registry file (window placement,
// option boxes) are told apart. What happens after that (every further failed
// write) stays quiet; the settings go on in force for the run and the file is
// left as it is.
#include <QObject>
#include <QString>
#include <string>

#include "core/app/settings_problem.h"

class QWidget;

namespace tavrek::app {
class SettingsStore;
}
namespace tavrek::platform {
class RegistryStore;
}

namespace tavrek::ui {

class SettingsNotice : public QObject {
  Q_OBJECT

 public:
  // Listens to the stores' failed writes until it goes; either may be null.
  SettingsNotice(QWidget& owner, app::SettingsStore* store, platform::RegistryStore* registry);
  ~SettingsNotice() override;
  SettingsNotice(const SettingsNotice&) = delete;
  SettingsNotice& operator=(const SettingsNotice&) = delete;

  // Checks whether the settings file could be read, once the frame is up.
  void CheckAtStart();
  // Shows a notice that waits for the event loop now: the frame's last
  // writes come as it closes, when the loop may not come back.
  void ShowPending();
  bool told() const { return settingsTold_; }

 private:
  // The box comes when the event loop is back, not inside the write.
  void TellSoon(app::SettingsAccess access, app::SettingsProblem problem, const std::string& path);

  QWidget& owner_;
  app::SettingsStore* store_;
  platform::RegistryStore* registry_;
  bool settingsTold_ = false;
  bool registryTold_ = false;
  QString pending_;
};

}  // namespace tavrek::ui
