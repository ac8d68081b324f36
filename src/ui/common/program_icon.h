#pragma once
// The program's window and tray icon.
#include <QIcon>

namespace tavrek::ui {

// Drawn from the built-in SVG when Qt's SVG image plug-in is there, else the
// theme's "tavrek" icon, else a plain drawn one.
QIcon ProgramWindowIcon();

}  // namespace tavrek::ui
