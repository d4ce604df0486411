#include "ui/launch/PortRestarter.h"

#include <QFileInfo>
#include <algorithm>
#include <utility>

#include "core/files/PathHelpers.h"
#include "ui/desktop/CopyFolder.h"
#include "ui/desktop/Desktop.h"
#include "ui/desktop/QtText.h"

namespace quillon {

PortRestarter::PortRestarter(Desktop& desktop, CopyFolder& copies, QWidget* owner, QObject* parent,
                             int stillMs)
    : QObject(parent),
      desktop_(desktop),
      copies_(copies),
      owner_(owner),
      watcher_(this, stillMs),
      builds_(desktop, owner, this) {
  connect(&watcher_, &SaveWatcher::Saved, this, &PortRestarter::Saved);
  connect(&watcher_, &SaveWatcher::Unreadable, this, &PortRestarter::Unreadable);
}

void PortRestarter::SetOn(bool on) {
  if (on == on_) return;
  on_ = on;
  ++generation_;
  builds_.Cancel();
  phase_ = Phase::Idle;
  savedAgain_ = false;
  note_.clear();
  watcher_.WatchFiles(on_ ? test_.files : std::vector<std::string>());
  HoldCopies(on_);
  emit StatusChanged();
}

void PortRestarter::Watch(WatchedTest test) {
  if (on_) HoldCopies(false);
  ++generation_;
  builds_.Cancel();
  phase_ = Phase::Idle;
  savedAgain_ = false;
  test_ = std::move(test);
  restarts_ = 0;
  note_.clear();
  if (on_) {
    watcher_.WatchFiles(test_.files);
    HoldCopies(true);
  }
  emit StatusChanged();
}

// The copies the ports get stay while they may be started again from them.
void PortRestarter::HoldCopies(bool held) {
  for (const NodeJob& job : test_.jobs) copies_.Hold(job.copy, held);
  if (!test_.copy.empty()) copies_.Hold(test_.copy, held);
}

QString PortRestarter::Status() const {
  if (!on_) return {};
  if (test_.starts.empty() && note_.isEmpty()) {
    return QStringLiteral("Restart on save: no Test to repeat yet.");
  }
  QString text = QStringLiteral("Watching %1 file%2 for saves; %3 restart%4.")
                     .arg(test_.files.size())
                     .arg(test_.files.size() == 1 ? "" : "s")
                     .arg(restarts_)
                     .arg(restarts_ == 1 ? "" : "s");
  if (phase_ == Phase::Building) text += QStringLiteral(" Building nodes…");
  if (!note_.isEmpty()) text += u' ' + note_;
  return text;
}

void PortRestarter::Tell(QString note) {
  note_ = std::move(note);
  emit StatusChanged();
}

void PortRestarter::Unreadable(const QString& file, const QString& reason) {
  Tell(QStringLiteral("%1 cannot be read after its save (%2); the ports run on.")
           .arg(QFileInfo(file).fileName(), reason));
}

void PortRestarter::Saved() {
  if (!on_ || test_.starts.empty()) return;
  note_.clear();
  switch (phase_) {
    case Phase::Ending:
      // The start after the end reads the files as they are then; only nodes need building.
      savedAgain_ = true;
      return;
    case Phase::Building:  // the build under way read an older file
    case Phase::Idle:
      if (!Remake()) return;
      if (test_.jobs.empty()) {
        EndPorts();
      } else {
        Build();
      }
      return;
  }
}

// Test's own copy of a saved file, made again before its nodes are built from it.
bool PortRestarter::Remake() {
  if (!test_.remake) return true;
  const std::string error = test_.remake();
  if (error.empty()) return true;
  builds_.Cancel();
  phase_ = Phase::Idle;
  Tell(Qs(error) + QStringLiteral(" The ports run on."));
  return false;
}

void PortRestarter::Build() {
  phase_ = Phase::Building;
  emit StatusChanged();
  const std::uint64_t generation = generation_;
  builds_.Run(test_.builder, test_.jobs, [this, generation](bool built) {
    if (generation != generation_) return;
    if (built) {
      EndPorts();
      return;
    }
    phase_ = Phase::Idle;
    Tell(builds_.Failure() + QStringLiteral(" The ports run on."));
  });
}

void PortRestarter::EndPorts() {
  phase_ = Phase::Ending;
  savedAgain_ = false;
  // A port the user closed stays closed.
  std::erase_if(test_.starts,
                [&](const WatchedStart& start) { return !desktop_.Running(start.pid); });
  ending_ = static_cast<int>(test_.starts.size());
  if (ending_ == 0) {
    phase_ = Phase::Idle;
    Tell(QStringLiteral("Every port it started has been closed."));
    return;
  }
  const std::uint64_t generation = generation_;
  for (const WatchedStart& start : test_.starts) {
    desktop_.WhenEnded(start.pid, [this, generation](const LaunchEnd&) {
      if (generation == generation_ && --ending_ == 0) StartPorts();
    });
    desktop_.End(start.pid, true);
  }
}

void PortRestarter::StartPorts() {
  // Saved again while they were ended: built anew from that save. The ports are down now, so
  // a copy that cannot be made again leaves them the one made before.
  QString kept;
  if (std::exchange(savedAgain_, false)) {
    const std::string error = test_.remake ? test_.remake() : std::string();
    if (!error.empty()) {
      kept = Qs(error) + QStringLiteral(" The ports start from the copy made before.");
    } else if (!test_.jobs.empty()) {
      Build();
      return;
    }
  }
  phase_ = Phase::Idle;
  QStringList failed;
  std::vector<WatchedStart> started;
  for (WatchedStart& start : test_.starts) {
    const LaunchResult result = desktop_.Launch(owner_, start.request);
    if (!result.Started()) {
      failed << Qs(FileNameOf(start.request.File)) + QStringLiteral(": ") + Qs(result.failure);
      continue;
    }
    start.pid = result.pid;
    started.push_back(start);
  }
  test_.starts = std::move(started);
  std::vector<std::int64_t> pids;
  for (const WatchedStart& start : test_.starts) pids.push_back(start.pid);
  for (const NodeJob& job : test_.jobs) copies_.UsedBy(job.copy, pids);
  if (!test_.copy.empty()) copies_.UsedBy(test_.copy, pids);
  ++restarts_;
  note_ = failed.isEmpty() ? kept : QStringLiteral("Could not start %1.").arg(failed.join("; "));
  emit StatusChanged();
  emit Restarted();
}

}  // namespace quillon
