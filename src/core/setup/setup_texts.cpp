#include "core/setup/setup_texts.h"

#include "core/app/identity.h"

namespace tavrek::setup {
namespace {

std::string Name() { return std::string(app::kProductName); }

}  // namespace

std::string NoRightsMessage() {
  return "Sie haben keine Administrative Rechte\n\n" + Name() +
         " muss nicht installiert werden, einfach " + Name() + "_Install in " + Name() +
         " umbenennen.";
}

std::string OverwriteQuestion(const std::string& folder) {
  return "Das Verzeichnis \"" + folder +
         "\" ist bereits vorhanden\r\nSoll dieses und die darin enthaltenen Daten "
         "überschrieben werden ?";
}

std::string CopyFailedQuestion(const std::string& target) {
  return "Fehler, beim Schreiben der Zieldatei.\nWrite failed Target file.\n" + target;
}

std::string TargetOpenFailure(const std::string& copy) {
  return "Fehler, beim Öffnen der Zieldatei.\nWrite failed, Target file.\n" + copy;
}

std::string ListOpenFailure(const std::string& list) {
  return "Fehler beim Öffnen der Datei:\n\"" + list + "\"";
}

std::string UninstallQuestion(const std::string& systemText) {
  return "Wollen Sie wirklich " + Name() + " deinstallieren ?\n" + systemText;
}

}  // namespace tavrek::setup
