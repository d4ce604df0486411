#pragma once

#include <QFont>
#include <QSize>
#include <QString>
#include <QStringList>
#include <QWidget>
#include <initializer_list>
#include <string_view>

class QLabel;
class QPushButton;

namespace quillon {

// A control named as the user and the tests know it, with its caption (a button's, a label's,
// a check box's text, a text box's first text) and its tip where given.
template <class Widget>
Widget* MakeControl(QWidget* parent, std::string_view name, const QString& caption = {},
                    const QString& tip = {}) {
  auto* widget = new Widget(parent);
  widget->setObjectName(QString::fromLatin1(name.data(), static_cast<qsizetype>(name.size())));
  if constexpr (requires { widget->setText(caption); }) {
    if (!caption.isEmpty()) widget->setText(caption);
  }
  if (!tip.isEmpty()) widget->setToolTip(tip);
  return widget;
}

// Table texts are plain ASCII.
inline QString Latin1(std::string_view text) {
  return QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size()));
}

// The face asked for by name, in `weight`, where it is installed; otherwise the first of
// `fallbacks` that is, in `fallbackWeight`, so that a title still stands out.
QFont FontOrFallback(const QString& family, qreal points, QFont::Weight weight,
                     const QStringList& fallbacks, QFont::Weight fallbackWeight);

// The face asked for by name where it is installed; otherwise a common sans face of the same
// weight.
QFont SansFontOrFallback(const QString& family, qreal points, QFont::Weight weight);

// Gives each button of a row the same width and least height: the stated size, or what the
// widest caption needs with the style's margins (the style's own preferred width is wider
// than these windows were designed with).
void EqualButtons(std::initializer_list<QPushButton*> row, QSize stated);

// Keeps room in a word-wrapped label for the tallest of `texts` at the width its window's
// layout gives it, so that whichever it shows later is whole and the window keeps its size.
// The label's own size hint no longer counts: it takes at least its minimum width, and the
// layout should have its other controls set the window's width.
void ReserveTextHeight(QLabel* label, const QStringList& texts);

// Left = (screen width - window width) / 2, top likewise, fractions dropped; the window's
// outer size, frame included once the window system has reported it.
void CentreOnScreen(QWidget* window, QSize screen);

}  // namespace quillon
