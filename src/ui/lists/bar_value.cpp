#include <QString>
#include <cmath>

#include "ui/lists/tree_list.h"

namespace tavrek::ui {
namespace {

// Decimal places beyond this cannot change a bar a few hundred pixels wide;
// ignoring them keeps the divisor finite for any text.
constexpr int kMaxDecimals = 15;
constexpr double kBase = 10.0;

}  // namespace

double BarValue(const QString& text) {
  double digits = 0.0;
  int decimals = 0;
  bool inDecimals = false;
  for (const QChar c : text) {
    if (c >= u'0' && c <= u'9') {
      if (inDecimals && decimals == kMaxDecimals) continue;
      digits = digits * kBase + (c.unicode() - u'0');
      if (inDecimals) ++decimals;
    } else if ((c == u',' || c == u'.') && !inDecimals) {
      inDecimals = true;
    }
  }
  return digits / std::pow(kBase, decimals);
}

}  // namespace tavrek::ui
