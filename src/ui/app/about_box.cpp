#include "ui/app/about_box.h"

#include "core/app/identity.h"
#include "ui/common/dialogs.h"
#include "ui/common/text.h"

namespace tavrek::ui {

void ShowAboutBox(QWidget* parent) {
  const QString product = ToQString(app::kProductName);
  Dialogs::Message(parent, QMessageBox::Information, QStringLiteral("Über ") + product,
                   product + QStringLiteral(" ") + ToQString(app::kVersion) +
                       QStringLiteral("\n\nZeigt live jede Änderung in überwachten Verzeichnissen "
                                      "und Laufwerken.\n\n(c) ") +
                       ToQString(app::kCompanyKey));
}

}  // namespace tavrek::ui
