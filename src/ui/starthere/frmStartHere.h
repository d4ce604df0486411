#pragma once

#include <QDialog>
#include <QPointer>
#include <QString>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "core/settings/ReadWrite.h"
#include "ui/starthere/MapView.h"
#include "ui/starthere/StartHereHost.h"

class QComboBox;
class QFileSystemWatcher;
class QLabel;
class QPushButton;
class QThread;

namespace quillon {

class Desktop;

// The key in [Memory] that remembers the window's size ("640x480"), once the user set one.
inline constexpr std::string_view kStartHereSizeKey = "StartHereSize";

// "Start Here": the map, a marker for player 1's start put by a click and turned by a drag,
// and Test or Test in Several Ports from there. The map is read off the GUI thread, and read
// again whenever its file changes on disk.
class frmStartHere : public QDialog {
  Q_OBJECT

 public:
  frmStartHere(StartHereHost& host, Desktop& desktop, const QString& programDir,
               QWidget* parent = nullptr);
  ~frmStartHere() override;

  MapView* View() const { return view_; }

 signals:
  // The chosen map is shown, or why it cannot be.
  void Loaded();

 protected:
  void keyPressEvent(QKeyEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void done(int result) override;

 private:
  struct LoadResult {
    std::string error;
    MapPicture picture;
  };

  void MapChosen();
  void Load();
  void Show(const LoadResult& result);
  void Place(QPointF spot);
  void Turn(double degrees);
  // Shows the marker and what it means, and allows a Test from it only where it may start.
  void Judge();
  void TestHere(bool several);
  std::string MarkerKey() const;
  const StartMap* Chosen() const;

  StartHereHost& host_;
  Desktop& desktop_;
  ReadWrite iniFile_;
  std::vector<StartMap> maps_;
  MapView* view_ = nullptr;
  QComboBox* cmbMaps = nullptr;
  QLabel* lblStatus = nullptr;
  QPushButton* cmdTestHere = nullptr;
  QPushButton* cmdTestSeveral = nullptr;
  QPushButton* cmdClose = nullptr;
  QFileSystemWatcher* watcher_ = nullptr;
  std::vector<QPointer<QThread>> loaders_;
  std::uint64_t generation_ = 0;
  bool loaded_ = false;
  bool sizeSet_ = false;  // the user resized the window
  QString refusal_;
};

}  // namespace quillon
