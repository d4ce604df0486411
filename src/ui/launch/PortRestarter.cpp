#include "ui/launch/PortRestarter.h"

#include <QFileInfo>
#include <algorithm>

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
  watcher_.WatchFiles(on_ ? files_ : std::vector<std::string>());
  HoldCopies(on_);
  emit StatusChanged();
}

void PortRestarter::Watch(std::vector<WatchedStart> starts, std::vector<std::string> files,
                          NodeBuilder builder, std::vector<NodeJob> jobs) {
  HoldCopies(false);
  ++generation_;
  builds_.Cancel();
  phase_ = Phase::Idle;
  savedAgain_ = false;
  starts_ = std::move(starts);
  files_ = std::move(files);
  builder_ = std::move(builder);
  jobs_ = std::move(jobs);
  restarts_ = 0;
  note_.clear();
  if (on_) {
    watcher_.WatchFiles(files_);
    HoldCopies(true);
  }
  emit StatusChanged();
}

// The copies the ports get stay while they may be started again from them.
void PortRestarter::HoldCopies(bool held) {
  for (const NodeJob& job : jobs_) copies_.Hold(job.copy, held);
}

QString PortRestarter::Status() const {
  if (!on_) return {};
  if (starts_.empty() && note_.isEmpty()) {
    return QStringLiteral("Restart on save: no Test to repeat yet.");
  }
  QString text = QStringLiteral("Watching %1 file%2 for saves; %3 restart%4.")
                     .arg(files_.size())
                     .arg(files_.size() == 1 ? "" : "s")
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
  if (!on_ || starts_.empty()) return;
  note_.clear();
  switch (phase_) {
    case Phase::Ending:
      // The start after the end reads the files as they are then; only nodes need building.
      savedAgain_ = true;
      return;
    case Phase::Building:  // the build under way read an older file
    case Phase::Idle:
      if (jobs_.empty()) {
        EndPorts();
      } else {
        Build();
      }
      return;
  }
}

void PortRestarter::Build() {
  phase_ = Phase::Building;
  emit StatusChanged();
  const std::uint64_t generation = generation_;
  builds_.Run(builder_, jobs_, [this, generation](bool built) {
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
  std::erase_if(starts_, [&](const WatchedStart& start) { return !desktop_.Running(start.pid); });
  ending_ = static_cast<int>(starts_.size());
  if (ending_ == 0) {
    phase_ = Phase::Idle;
    Tell(QStringLiteral("Every port it started has been closed."));
    return;
  }
  const std::uint64_t generation = generation_;
  for (const WatchedStart& start : starts_) {
    desktop_.WhenEnded(start.pid, [this, generation](const LaunchEnd&) {
      if (generation == generation_ && --ending_ == 0) StartPorts();
    });
    desktop_.End(start.pid, true);
  }
}

void PortRestarter::StartPorts() {
  if (savedAgain_ && !jobs_.empty()) {
    Build();
    return;
  }
  phase_ = Phase::Idle;
  QStringList failed;
  std::vector<WatchedStart> started;
  for (WatchedStart& start : starts_) {
    const LaunchResult result = desktop_.Launch(owner_, start.request);
    if (!result.Started()) {
      failed << Qs(FileNameOf(start.request.File)) + QStringLiteral(": ") + Qs(result.failure);
      continue;
    }
    start.pid = result.pid;
    started.push_back(start);
  }
  starts_ = std::move(started);
  for (const NodeJob& job : jobs_) {
    std::vector<std::int64_t> pids;
    for (const WatchedStart& start : starts_) pids.push_back(start.pid);
    copies_.UsedBy(job.copy, std::move(pids));
  }
  ++restarts_;
  note_ =
      failed.isEmpty() ? QString() : QStringLiteral("Could not start %1.").arg(failed.join("; "));
  emit StatusChanged();
  emit Restarted();
}

}  // namespace quillon
