#pragma once
// The pictures of the ten action codes (0 to 9), 16 by 15 pixels, shared by
// the change log and both access presentations. Drawn here, not loaded.
#include <QIcon>

namespace tavrek::ui {

inline constexpr int kActionIconWidth = 16;
inline constexpr int kActionIconHeight = 15;

// The icon of an action code; a null icon for codes without a picture.
const QIcon& ActionIcon(int actionCode);

}  // namespace tavrek::ui
