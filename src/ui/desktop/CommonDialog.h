#pragma once

#include <QString>

#include "ui/desktop/Desktop.h"

class QWidget;

namespace quillon {

// The file selection component a window carries as cdlOpen. A caller sets the properties,
// shows it as an Open or Save dialog and reads FileName back. A window reuses its one
// component for every use.
class CommonDialog {
 public:
  CommonDialog(Desktop& desktop, QWidget* owner) : desktop_(desktop), owner_(owner) {}

  QString DialogTitle;
  QString Filter;   // "Desc|*.a;*.b"
  QString InitDir;  // empty: the toolkit's default
  FileDialogFlags Flags;
  QString FileName;  // after a show: the chosen full path, or empty after a cancel

  // Return false when the user cancelled; FileName is then empty.
  bool ShowOpen() { return Show(false); }
  bool ShowSave() { return Show(true); }

 private:
  bool Show(bool save);

  Desktop& desktop_;
  QWidget* owner_;
};

}  // namespace quillon
