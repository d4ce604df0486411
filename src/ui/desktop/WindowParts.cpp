#include "ui/desktop/WindowParts.h"

#include <QFontDatabase>
#include <QLabel>
#include <QLayout>
#include <QPushButton>
#include <QStyle>
#include <algorithm>
#include <vector>

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

QFont SansFontOrFallback(const QString& family, qreal points, QFont::Weight weight) {
  return FontOrFallback(family, points, weight,
                        {QStringLiteral("Arial"), QStringLiteral("Liberation Sans"),
                         QStringLiteral("Nimbus Sans"), QStringLiteral("DejaVu Sans")},
                        weight);
}

void EqualButtons(std::initializer_list<QPushButton*> row, QSize stated) {
  QSize size = stated;
  for (const QPushButton* button : row) {
    const QStyle* style = button->style();
    const int padding = style->pixelMetric(QStyle::PM_ButtonMargin, nullptr, button) +
                        2 * style->pixelMetric(QStyle::PM_DefaultFrameWidth, nullptr, button);
    const QFontMetrics metrics = button->fontMetrics();
    // The room the style draws the caption in, which may be wider than its advance.
    const QSize text = metrics.size(Qt::TextShowMnemonic, button->text());
    size = size.expandedTo(text + QSize(padding, padding));
  }
  for (QPushButton* button : row) {
    button->setFixedWidth(size.width());
    button->setMinimumHeight(size.height());
  }
}

namespace {
// Lays out the widget's window and each frame between it and the widget now, outside in, as
// showing the window would; a frame's own layout follows the frame's new size only once its
// events are delivered.
void LayOutNow(QWidget* widget) {
  std::vector<QLayout*> layouts;
  for (QWidget* outer = widget->parentWidget(); outer; outer = outer->parentWidget()) {
    if (outer->layout()) layouts.push_back(outer->layout());
    if (outer->isWindow()) break;
  }
  for (auto layout = layouts.rbegin(); layout != layouts.rend(); ++layout) {
    (*layout)->invalidate();
    (*layout)->activate();
  }
}
}  // namespace

void ReserveTextHeight(QLabel* label, const QStringList& texts) {
  label->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Ignored);
  LayOutNow(label);
  const QString shown = label->text();
  int height = label->minimumHeight();
  for (const QString& text : texts) {
    label->setText(text);
    height = std::max(height, label->heightForWidth(label->width()));
  }
  label->setText(shown);
  label->setMinimumHeight(height);
  LayOutNow(label);
}

void CentreOnScreen(QWidget* window, QSize screen) {
  const QSize outer = window->frameGeometry().size();
  window->move((screen.width() - outer.width()) / 2, (screen.height() - outer.height()) / 2);
}

}  // namespace quillon
