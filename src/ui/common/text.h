#pragma once
// Core texts are UTF-8 bytes; Qt speaks QString.
#include <QString>
#include <string>
#include <string_view>

namespace tavrek::ui {

inline QString ToQString(std::string_view text) {
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

inline std::string ToUtf8(const QString& text) { return text.toUtf8().toStdString(); }

}  // namespace tavrek::ui
