#pragma once
// Core texts are UTF-8 bytes; Qt speaks QString.
#include <QString>
#include <string>
#include <string_view>

#include "core/platform/visible_text.h"

namespace tavrek::ui {

inline QString ToQString(std::string_view text) {
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

inline std::string ToUtf8(const QString& text) { return text.toUtf8().toStdString(); }

// A path or pattern as a person sees it: one line, every byte told apart
// (control characters and bytes that are no UTF-8 as "\xHH", as the log shows them).
inline QString ShownName(std::string_view bytes) { return ToQString(platform::VisibleText(bytes)); }

}  // namespace tavrek::ui
