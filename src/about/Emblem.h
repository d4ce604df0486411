#pragma once

#include <QIcon>
#include <QPixmap>

namespace quillon {

// The program's emblem, a quill across a horned shield: the 52 x 53 picture of the main
// window and the About box, and the window icon in every size the desktop may ask for.
// Both come from PNGs compiled into the program (resources/, rendered from SVG).
QPixmap EmblemPixmap();
QIcon EmblemIcon();

}  // namespace quillon
