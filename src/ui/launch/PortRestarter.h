#pragma once

#include <QObject>
#include <QPointer>
#include <QString>
#include <QStringList>
#include <QWidget>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "core/launch/LaunchRequest.h"
#include "ui/launch/NodeBuilds.h"
#include "ui/launch/SaveWatcher.h"

namespace quillon {

class CopyFolder;
class Desktop;

// A port the last Test started, with the request it was started from.
struct WatchedStart {
  LaunchRequest request;
  std::int64_t pid = 0;
};

// What the last Test started and what it was made from.
struct WatchedTest {
  std::vector<WatchedStart> starts;
  std::vector<std::string> files;  // the user's files it gave them, full paths, the IWAD's too
  NodeBuilder builder;
  std::vector<NodeJob> jobs;  // the node builds it ran
  // A copy of one of those files that Test made first (Start Here's), and how it is made
  // again from the saved file (what went wrong, or empty); the nodes are built from it.
  std::string copy;
  std::function<std::string()> remake;
};

// "Restart Ports on Save": while on, the ports the last Test started are watched together
// with the files it gave them. Once a save of one of them has settled (SaveWatcher), the
// nodes are built again where Test built them (a newer save cancels a build under way),
// then each of those ports still running is ended quietly and started again from its
// request: the same line, the same folder, a fresh log. A port the user closed stays
// closed; no other process is ever ended. Closing Quillon ends none of them.
class PortRestarter : public QObject {
  Q_OBJECT

 public:
  PortRestarter(Desktop& desktop, CopyFolder& copies, QWidget* owner, QObject* parent = nullptr,
                int stillMs = SaveWatcher::kStillMs);

  void SetOn(bool on);
  bool On() const { return on_; }
  // What the last Test started; what was watched before is let go.
  void Watch(WatchedTest test);
  NodeBuilds& Builds() { return builds_; }

  int Restarts() const { return restarts_; }
  // What the window shows: watching what, how many restarts, what went wrong last.
  QString Status() const;

 signals:
  void StatusChanged();
  // The ports were started again (tests wait for it).
  void Restarted();

 private:
  enum class Phase { Idle, Building, Ending };
  void Saved();
  void Unreadable(const QString& file, const QString& reason);
  bool Remake();
  void Build();
  void EndPorts();
  void StartPorts();
  void Tell(QString note);
  void HoldCopies(bool held);

  Desktop& desktop_;
  CopyFolder& copies_;
  QPointer<QWidget> owner_;
  SaveWatcher watcher_;
  NodeBuilds builds_;
  bool on_ = false;
  WatchedTest test_;
  Phase phase_ = Phase::Idle;
  bool savedAgain_ = false;  // a save arrived while the ports were being ended
  int ending_ = 0;
  std::uint64_t generation_ = 0;  // a Watch or SetOn drops the ends of what came before
  int restarts_ = 0;
  QString note_;
};

}  // namespace quillon
