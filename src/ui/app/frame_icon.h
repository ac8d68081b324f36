#pragma once
// The program's icon, drawn rather than shipped.
#include <QIcon>

namespace tavrek::ui {

QIcon FrameIcon();

}  // namespace tavrek::ui
