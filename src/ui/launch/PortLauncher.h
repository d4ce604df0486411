#pragma once

#include <sys/types.h>

#include <QElapsedTimer>
#include <QObject>
#include <QPointer>
#include <QString>
#include <functional>
#include <map>
#include <memory>
#include <vector>

#include "core/launch/LaunchRequest.h"
#include "core/launch/ProgramLookup.h"

class QSocketNotifier;
class QTimer;
class QWidget;

namespace quillon {

// How a started program ended.
struct PortEnd {
  pid_t pid = 0;
  QString title;        // the name the user gave it
  QString findings;     // what the look at its files had found it would not take
  QString logPath;      // empty: not logged
  qint64 logStart = 0;  // where its own output begins in the log, after our header
  bool watched = false;
  bool quiet = false;  // ended by us on purpose: no notice
  bool bySignal = false;
  int code = 0;  // exit status, or the signal number
  qint64 ranMs = 0;
  QPointer<QWidget> owner;

  bool Failed() const { return bySignal || code != 0; }
};

// What a start of `request` would run right now (PATH, Wine and the file system as they
// are), or why it cannot start: the one decision Start, the command shown and the command
// copied all take.
ResolvedProgram ResolveLaunch(const LaunchRequest& request);

// Starts programs as processes of their own and reaps each when it ends. A watched
// program writes its output straight into a log file, never through us, so it outlives
// Quillon untouched; it runs in a session of its own, so closing our terminal does not
// hang it up. Waiting costs nothing while a program runs: one descriptor per child
// (a pidfd) wakes us when it ends. Destroying the launcher leaves every program running.
class PortLauncher : public QObject {
  Q_OBJECT
 public:
  explicit PortLauncher(QObject* parent = nullptr);
  ~PortLauncher() override;

  LaunchResult Start(QWidget* owner, const LaunchRequest& request);
  int Running() const { return static_cast<int>(children_.size()); }
  // Whether a program this launcher started as `pid` still runs (is not reaped yet).
  bool Runs(std::int64_t pid) const { return children_.contains(static_cast<pid_t>(pid)); }
  // `ended` runs once `pid` is reaped; at once for a program this launcher does not run.
  void WhenEnded(std::int64_t pid, std::function<void(const PortEnd&)> ended);
  // SIGTERM now, SIGKILL after `graceMs` if it still runs; `quiet`: its end is no failure
  // to tell.
  void End(std::int64_t pid, bool quiet, int graceMs);

 signals:
  // Every started program, once reaped.
  void Ended(const quillon::PortEnd& end);

 private:
  struct Child {
    PortEnd end;
    QElapsedTimer clock;
    int pidfd = -1;
    QSocketNotifier* notifier = nullptr;
    QTimer* poll = nullptr;  // only where the kernel has no pidfd: once a second
    std::vector<std::function<void(const PortEnd&)>> whenEnded;
  };

  void Watch(std::unique_ptr<Child> child);
  void Reap(pid_t pid);

  std::map<pid_t, std::unique_ptr<Child>> children_;
};

}  // namespace quillon
