#include "about/frmAbout.h"

namespace quillon {

// Placeholder until the About box lands.
frmAbout::frmAbout(Desktop& desktop, QWidget* owner) : QDialog(owner), desktop_(desktop) {
  setObjectName(QStringLiteral("frmAbout"));
}

frmAbout::~frmAbout() = default;

}  // namespace quillon
