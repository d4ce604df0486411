#include "ui/main/Appearance.h"

#include <QApplication>
#include <QWidget>

namespace quillon {

void SetFieldBackground(QWidget* field, QPalette::ColorRole systemColour) {
  const QColor colour = QApplication::palette().color(QPalette::Active, systemColour);
  QPalette palette = field->palette();
  for (auto group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled}) {
    palette.setColor(group, QPalette::Base, colour);
  }
  field->setPalette(palette);
}

}  // namespace quillon
