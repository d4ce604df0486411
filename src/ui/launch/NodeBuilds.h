#pragma once

#include <QObject>
#include <QPointer>
#include <QString>
#include <QTimer>
#include <QWidget>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "core/launch/LaunchRequest.h"

namespace quillon {

class Desktop;

// The program that builds the nodes, as the program list names it.
struct NodeBuilder {
  std::string path;   // empty: none is chosen
  std::string title;  // its list name
  std::string logDirectory;
};

// One PWAD whose nodes are built: the user's file, and the copy the ports get instead.
struct NodeJob {
  std::string source;
  std::string copy;
  bool operator==(const NodeJob&) const = default;
};

// Builds the nodes of copies, one job after another, each builder run started and watched
// as a port is (its own process, its output in a log, a failure shown with "Open Log"), so
// the window never waits on it. The user's file is only read: it is copied first, the
// builder reads the copy and writes a new file that replaces the copy once it reads whole.
class NodeBuilds : public QObject {
  Q_OBJECT

 public:
  static constexpr int kTimeoutMs = 60'000;
  NodeBuilds(Desktop& desktop, QWidget* owner, QObject* parent = nullptr);

  // How long one run may take before it is ended (tests shorten it).
  void SetTimeout(int ms) { timeoutMs_ = ms; }
  // Builds every job's copy; `done` gets true once all are built, or false after the
  // failure was told (in `failure` too, for the window's status). A Run while one runs
  // cancels that one first.
  void Run(const NodeBuilder& builder, std::vector<NodeJob> jobs,
           std::function<void(bool built)> done);
  // Ends the run under way quietly; its `done` is never called.
  void Cancel();
  bool Busy() const { return pid_ != 0; }
  QString Failure() const { return failure_; }

 private:
  void Next();
  void Finished(std::uint64_t run, const LaunchEnd& end);
  void Fail(const QString& why, bool tell);

  Desktop& desktop_;
  QPointer<QWidget> owner_;
  int timeoutMs_ = kTimeoutMs;
  NodeBuilder builder_;
  std::vector<NodeJob> jobs_;
  std::size_t next_ = 0;
  std::function<void(bool)> done_;
  std::uint64_t run_ = 0;  // a run's ends that arrive after it was cancelled are dropped
  std::int64_t pid_ = 0;
  bool timedOut_ = false;
  QTimer timeout_;
  QString failure_;
};

}  // namespace quillon
