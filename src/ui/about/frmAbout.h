#pragma once

#include <QDialog>
#include <cstdint>

class QLabel;
class QPushButton;

namespace quillon {

class Desktop;

// The About box: name, version, contact texts, and the emblem's click counter that ends in
// 1337 mode. Made afresh for each opening, so every opening starts from the normal texts.
class frmAbout : public QDialog {
  Q_OBJECT

 public:
  frmAbout(Desktop& desktop, QWidget* owner);
  ~frmAbout() override;

  // Clicks on picIcon so far, 0 to 11; 11 means 1337 mode is on.
  std::int16_t ClickCounter() const { return clickCounter_; }

  QLabel* picIcon = nullptr;
  QLabel* lblTitle = nullptr;
  QLabel* lblVersion = nullptr;
  QLabel* lblContact = nullptr;
  QLabel* lblEmail = nullptr;
  QLabel* lblAIM = nullptr;
  QLabel* lblDC = nullptr;
  QPushButton* cmdOK = nullptr;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void showEvent(QShowEvent* event) override;

 private:
  void CreateControls();
  void ArrangeControls();
  void FormLoad();
  void ShowCaptions(bool leet);
  void EmblemClicked();
  void Dismiss();

  Desktop& desktop_;
  std::int16_t clickCounter_ = 0;
  bool iconPressed_ = false;
};

}  // namespace quillon
