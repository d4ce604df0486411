#include "about/Emblem.h"

namespace quillon {

QPixmap EmblemPixmap() {
  return QPixmap(QStringLiteral(":/quillon/emblem.png"));
}

QIcon EmblemIcon() {
  // Each size is drawn for itself (16 and 24 on their own pixel grid), so Qt picks the
  // nearest rather than shrinking the large one into a blur.
  QIcon icon;
  for (const int size : {16, 24, 32, 48, 64, 128, 256}) {
    icon.addFile(QStringLiteral(":/quillon/quillon-%1.png").arg(size), QSize(size, size));
  }
  return icon;
}

}  // namespace quillon
