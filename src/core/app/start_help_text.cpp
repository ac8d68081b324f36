#include "core/app/start_help_text.h"

namespace tavrek::app {
namespace {

constexpr std::string_view kText =
    "Wenn Sie wollen, dass das Verzeichnis oder Laufwerk im selben Fenster überwacht wird, "
    "halten Sie während der Auswahl die Taste [STRG] gedrückt. \n"
    "Oder Sie verwenden die Schaltfläche \"Überwachen\". \n"
    "Nicht wundern, es passiert mehr als man denkt auf der Festplatte. Keine Panik, es muß "
    "sich hierbei nicht gleich um einen Virus handeln.\n"
    "\n"
    "Verwenden Sie Filter: (z.B. *.log;*.txt) um Dateien auszulassen, die nicht überwacht "
    "werden sollen.\n"
    "Klicken Sie einfach mit der rechten Maustaste auf das Listenfeld \"Filter\"\n"
    "\n"
    "Oft verwendete  Überwachungsoptionen können als Favoriten gespeichert werden .\n"
    "\n"
    "TIPP: Alle Listenfelder verfügen über Kontextmenüs mit hilfreichen Funktionen \n"
    "Viel Spaß ;)\n"
    "Das Programm darf zur Analyse und zu Lehrzwecken eingesetzt werden. Überwachung ohne "
    "Zustimmung ist nicht gestattet.\n"
    "\n"
    "Wenn Sie diese Info nicht mehr sehen wollen über das Hauptmenu \"Datei\">\"";

constexpr std::string_view kTextEnd = "\". \n\n\n\n";

}  // namespace

std::vector<std::string> StartHelpRows(std::string_view productName) {
  const std::string text = std::string(kText) + std::string(productName) + std::string(kTextEnd);
  std::vector<std::string> rows;
  size_t start = 0;
  for (;;) {
    const size_t end = text.find('\n', start);
    if (end == std::string::npos) {
      rows.push_back(text.substr(start));
      return rows;
    }
    rows.push_back(text.substr(start, end - start));
    start = end + 1;
  }
}

}  // namespace tavrek::app
