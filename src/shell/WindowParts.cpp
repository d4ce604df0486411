#include "shell/WindowParts.h"

#include <QFontInfo>

namespace quillon {

QFont FontOrFallback(const QString& family, qreal points, QFont::Weight weight,
                     const QStringList& fallbacks, QFont::Weight fallbackWeight) {
  QFont font(family);
  font.setPointSizeF(points);
  font.setWeight(weight);
  if (QFontInfo(font).family().compare(family, Qt::CaseInsensitive) != 0) {
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
