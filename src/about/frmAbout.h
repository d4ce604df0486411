#pragma once

#include <QDialog>

namespace quillon {

class Desktop;

// The About box: name, version, contact texts, and the emblem's click counter.
class frmAbout : public QDialog {
  Q_OBJECT

 public:
  frmAbout(Desktop& desktop, QWidget* owner);
  ~frmAbout() override;

 private:
  Desktop& desktop_;
};

}  // namespace quillon
