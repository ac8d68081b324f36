#pragma once
// The item data role under which a list model gives the path of a row as the
// bytes the file system knows it by (a QByteArray). The text a list shows is
// escaped (backslashes, control characters, bytes that are no UTF-8), so it
// is no path: whatever acts on a row's file asks for this role instead.
#include <Qt>

namespace tavrek::ui {

inline constexpr int kRawPathRole = Qt::UserRole + 1;

}  // namespace tavrek::ui
