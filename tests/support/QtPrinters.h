#pragma once

#include <QString>
#include <ostream>

// Readable failure messages for Qt strings.
inline void PrintTo(const QString& text, std::ostream* os) {
  *os << '"' << text.toStdString() << '"';
}

#include "core/launch/LaunchRequest.h"

namespace quillon {
inline void PrintTo(const LaunchRequest& request, std::ostream* os) {
  *os << "{File \"" << request.File << "\", Parameters \"" << request.Parameters
      << "\", Directory \"" << request.Directory << "\", Title \"" << request.Title << "\"}";
}
}  // namespace quillon
