#include "ui/setup/DialogParts.h"

#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QStyle>
#include <algorithm>
#include <limits>

namespace quillon {

QSize ButtonSize(std::initializer_list<const QPushButton*> row, QSize stated) {
  QSize size = stated;
  for (const QPushButton* button : row) {
    const QStyle* style = button->style();
    const int padding = style->pixelMetric(QStyle::PM_ButtonMargin, nullptr, button) +
                        2 * style->pixelMetric(QStyle::PM_DefaultFrameWidth, nullptr, button);
    const QFontMetrics metrics = button->fontMetrics();
    size = size.expandedTo(
        {metrics.horizontalAdvance(button->text()) + padding, metrics.height() + padding});
  }
  return size;
}

void PlaceRow(std::initializer_list<QWidget*> row, QRect first, int gap) {
  for (QWidget* widget : row) {
    widget->setGeometry(first);
    first.translate(first.width() + gap, 0);
  }
}

int LabelWidth(const QLabel* label, int stated) {
  return std::max(stated, label->sizeHint().width());
}

int WrappedHeight(const QLabel* label, int width, const QStringList& texts, int stated) {
  int needed = stated;
  const QRect room(0, 0, width, std::numeric_limits<int>::max() / 2);
  for (const QString& text : texts) {
    needed =
        std::max(needed, label->fontMetrics().boundingRect(room, Qt::TextWordWrap, text).height());
  }
  return needed;
}

int TitleHeight(const QLabel* title) {
  return std::max(kDialogTitleHeight, title->fontMetrics().height());
}

int FieldHeight(const QWidget* field, int stated) {
  return std::max(stated, field->minimumSizeHint().height());
}

QFont SetupTitleFont(const QString& family, qreal points, QFont::Weight weight) {
  return FontOrFallback(family, points, weight,
                        {QStringLiteral("Arial"), QStringLiteral("Liberation Sans"),
                         QStringLiteral("Nimbus Sans"), QStringLiteral("DejaVu Sans")},
                        weight);
}

void InsertKeepingSelection(QComboBox* list, int position, const QString& text) {
  const int selected = list->currentIndex();
  list->insertItem(position, text);
  list->setCurrentIndex(selected < position ? selected : list->currentIndex());
}

}  // namespace quillon
