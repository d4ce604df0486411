#include "ui/desktop/WindowParts.h"

#include <QFontDatabase>

namespace quillon {

QFont FontOrFallback(const QString& family, qreal points, QFont::Weight weight,
                     const QStringList& fallbacks, QFont::Weight fallbackWeight) {
  QFont font(family);
  font.setPointSizeF(points);
  font.setWeight(weight);
  // Asking the font list, not matching the font: a missing face makes the match search
  // every installed face for the nearest, a few milliseconds at start.
  if (!QFontDatabase::hasFamily(family)) {
    font.setFamilies(QStringList{family} + fallbacks);
    font.setWeight(fallbackWeight);
  }
  return font;
}

void CentreOnScreen(QWidget* window, QSize screen) {
  const QSize outer = window->frameGeometry().size();
  window->move((screen.width() - outer.width()) / 2, (screen.height() - outer.height()) / 2);
}

}  // namespace quillon
