#pragma once
// Qt's own German texts, so that stock dialogs speak the program's language.
class QCoreApplication;

namespace tavrek::ui {

// Installs Qt's German translation on the application; false when the
// translation files are not installed (the stock dialogs then stay English).
bool InstallGermanQtTranslation(QCoreApplication& application);

}  // namespace tavrek::ui
