#include "ui/app/help_window.h"

#include <QDialogButtonBox>
#include <QStyle>
#include <QTextBrowser>
#include <QVBoxLayout>

#include "core/app/identity.h"
#include "ui/common/text.h"

namespace tavrek::ui {
namespace {

constexpr int kWidth = 640;
constexpr int kHeight = 480;

}  // namespace

QString HelpWindow::Text() {
  return QStringLiteral(
      "<h3>Tavrek %1</h3>"
      "<p>Tavrek zeigt live und mit Millisekunden-Zeitstempel jede Änderung, die das Dateisystem "
      "unter den überwachten Verzeichnissen meldet: Erstellen, Löschen, Umbenennen, Schreiben, "
      "Dateigröße, Attribute, Sicherheitseinstellungen und Zugriffszeit.</p>"
      "<h4>Aufruf</h4>"
      "<table cellpadding='3'>"
      "<tr><td><tt>tavrek</tt></td><td>öffnet ein leeres Überwachungsfenster.</td></tr>"
      "<tr><td><tt>tavrek -help</tt></td><td>zeigt diese Hilfe.</td></tr>"
      "<tr><td><tt>tavrek \"/e&gt;PFAD&gt;\"</tt></td><td>überwacht das Verzeichnis PFAD sofort; "
      "mehrere Verzeichnisse werden durch \",\" getrennt.</td></tr>"
      "<tr><td><tt>tavrek \"DATEI.tvk\"</tt></td><td>öffnet die gespeicherte Überwachung aus DATEI.tvk "
      "(auch in Anführungszeichen, Leerzeichen erlaubt).</td></tr>"
      "</table>"
      "<h4>Bedienung</h4>"
      "<p>Ein Verzeichnis öffnen Sie über die Adresse, die Laufwerksleiste oder das Menü "
      "\"Tavrek\": mit [STRG] im selben Fenster, mit [UMSCHALT] zusätzlich im aktiven Fenster.</p>"
      "<p>F11 schaltet den Vollbildmodus, F6 und Umschalt+F6 wechseln zwischen den Fenstern, "
      "Alt+4 schließt das aktive Fenster.</p>")
      .arg(ToQString(app::kVersion));
}

HelpWindow::HelpWindow(QWidget* parent) : QDialog(parent) {
  setWindowTitle(ToQString(app::kProductName) + QStringLiteral(" Hilfe"));
  setWindowIcon(style()->standardIcon(QStyle::SP_DialogHelpButton));
  setModal(true);
  auto* layout = new QVBoxLayout(this);
  auto* text = new QTextBrowser(this);
  text->setHtml(Text());
  layout->addWidget(text);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  layout->addWidget(buttons);
  resize(kWidth, kHeight);
}

}  // namespace tavrek::ui
