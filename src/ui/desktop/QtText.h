#pragma once

#include <QString>
#include <string>
#include <string_view>

namespace quillon {

// Text crosses between the Qt side and the core as UTF-8.
inline QString Qs(std::string_view text) {
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}
inline std::string Ss(const QString& text) {
  return text.toStdString();
}

}  // namespace quillon
