#pragma once
// The about box: product, version and what the program is for.
class QWidget;

namespace tavrek::ui {

void ShowAboutBox(QWidget* parent);

}  // namespace tavrek::ui
