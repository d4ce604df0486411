#pragma once

#include <QIcon>
#include <QPixmap>

class QWidget;

namespace quillon {

// The program's emblem, a quill across a horned shield: the 52 x 53 picture of the main
// window and the About box, and the window icon in every size the desktop may ask for.
// Both come from PNGs compiled into the program (resources/, rendered from SVG).
QPixmap EmblemPixmap();
QIcon EmblemIcon();

// Gives every window of the program the emblem as its icon once `window`, just shown, is
// on screen. The icon's seven pictures take longer to decode than the rest of the window's
// set-up: decoded first, they would hold the window back that long.
void GiveEmblemOnceShown(QWidget* window);

}  // namespace quillon
