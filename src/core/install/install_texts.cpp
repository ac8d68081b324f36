#include "core/install/install_texts.h"

#include <system_error>

#include "core/app/identity.h"
#include "core/platform/visible_text.h"

namespace tavrek::install {
namespace {

constexpr size_t kNamedEntries = 20;  // a tampered list must not make the box endless

std::string Name() { return std::string(app::kProductName); }

std::string Reason(const RemovalResult& result) {
  switch (result.removal) {
    case Removal::Foreign:
      return "gehört nicht zur Installation";
    case Removal::ThroughLink:
      return "führt über eine symbolische Verknüpfung";
    default:
      return std::system_category().message(result.error);
  }
}

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

std::string RefusedTargetMessage(const std::string& folder) {
  return "Das Verzeichnis lässt sich nicht eintragen (Zeilenumbruch, Steuerzeichen "
         "oder kein UTF-8):\n" +
         platform::VisibleText(folder);
}

std::string RefusedGroupMessage(const std::string& group) {
  return "Der Gruppenname lässt sich nicht eintragen (Zeilenumbruch, Steuerzeichen "
         "oder kein UTF-8):\n" +
         platform::VisibleText(group);
}

std::string CopyFailedQuestion(const std::string& target) {
  return "Fehler, beim Schreiben der Zieldatei.\nWrite failed Target file.\n" + target;
}

std::string TargetOpenFailure(const std::string& copy) {
  return "Fehler, beim Öffnen der Zieldatei.\nWrite failed, Target file.\n" + copy;
}

std::string StartFailure(const std::string& program) {
  return "Fehler beim Starten von:\n\"" + program + "\"";
}

std::string ListOpenFailure(const std::string& list) {
  return "Fehler beim Öffnen der Datei:\n\"" + list + "\"";
}

std::string NotRemovedMessage(const std::vector<NotRemoved>& entries, bool complete) {
  std::string text = complete ? std::string()
                              : Name() + " wurde nicht vollständig deinstalliert, die "
                                         "Einstellungen bleiben erhalten.\n";
  text += "Nicht entfernt:";
  for (size_t index = 0; index < entries.size() && index < kNamedEntries; ++index) {
    text += "\n" + entries[index].path + " (" + Reason(entries[index].result) + ")";
  }
  if (entries.size() > kNamedEntries) {
    text += "\nund " + std::to_string(entries.size() - kNamedEntries) + " weitere";
  }
  return text;
}

std::string UninstallQuestion(const std::string& systemText) {
  return "Wollen Sie wirklich " + Name() + " deinstallieren ?\n" + systemText;
}

}  // namespace tavrek::install
