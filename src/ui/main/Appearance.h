#pragma once

#include <QPalette>

class QWidget;

namespace quillon {

// Gives a field (list or text box) the background of one of the system's colour roles, in
// every state, so a disabled field shows the colour it was given rather than Qt's own.
// Base stands for the window background, Window for the grey of an inactive border, and
// Button for the menu colour.
void SetFieldBackground(QWidget* field, QPalette::ColorRole systemColour);

}  // namespace quillon
