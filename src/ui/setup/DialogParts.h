#pragma once

#include <QRect>
#include <QSize>
#include <QStringList>
#include <QWidget>
#include <initializer_list>

#include "ui/desktop/WindowParts.h"

class QComboBox;
class QLabel;
class QPushButton;

namespace quillon {

// The one grid the fixed dialogs (setup, add/change, About) are laid out on, in pixels at
// 96 dpi: the space between a window's left and top edges and its controls, the space
// left at its right and bottom edges, between neighbouring controls, and the stated size
// of a dialog button and of a title label's height.
inline constexpr int kDialogMargin = 8;
inline constexpr int kDialogFarMargin = 9;
inline constexpr int kDialogGap = 7;
inline constexpr QSize kDialogButton(65, 25);
inline constexpr int kDialogTitleHeight = 25;

// The setup windows keep the positions and sizes they were designed with, in pixels at
// 96 dpi. Where the fonts at hand need more room than a stated size, the control grows by
// just what its text needs and the controls after it move along; these say by how much.

// The size of each button in a row of equal buttons: the stated one, or what the widest
// caption needs with the style's margins.
QSize ButtonSize(std::initializer_list<const QPushButton*> row, QSize stated);
// Places the controls of a row left to right, each of first's size, gap pixels apart.
void PlaceRow(std::initializer_list<QWidget*> row, QRect first, int gap);
// The width a one-line label needs for its text.
int LabelWidth(const QLabel* label, int stated);
// The height a word-wrapped label of this width needs for the tallest of these texts.
int WrappedHeight(const QLabel* label, int width, const QStringList& texts, int stated);
// A title label's height: the stated one, or its font's.
int TitleHeight(const QLabel* title);
// The height a text box or drop-down list needs to show a line of text unclipped.
int FieldHeight(const QWidget* field, int stated);

// A setup window's title: the face asked for by name, else a common sans face of that weight.
QFont SetupTitleFont(const QString& family, qreal points, QFont::Weight weight);

// Inserts an item without changing which item is selected: Qt would select the first item
// of an empty list by itself.
void InsertKeepingSelection(QComboBox* list, int position, const QString& text);

}  // namespace quillon
