#include "ui/launch/NodeBuilds.h"

#include <QFile>
#include <QFileInfo>
#include <algorithm>
#include <cstdio>
#include <utility>

#include "core/files/PathHelpers.h"
#include "core/launch/NodeBuilder.h"
#include "core/wad/WadReader.h"
#include "ui/desktop/Desktop.h"
#include "ui/desktop/QtText.h"
#include "ui/launch/frmPortStopped.h"

namespace quillon {

namespace {
// The lines of the builder's output a message quotes.
constexpr qsizetype kTailLines = 5;

// What the builder reads (a copy of the user's file as it was) and what it writes.
std::string InputOf(const NodeJob& job) {
  return job.copy + ".in";
}
std::string OutputOf(const NodeJob& job) {
  return job.copy + ".new";
}
}  // namespace

NodeBuilds::NodeBuilds(Desktop& desktop, QWidget* owner, QObject* parent)
    : QObject(parent), desktop_(desktop), owner_(owner) {
  timeout_.setSingleShot(true);
  connect(&timeout_, &QTimer::timeout, this, [this] {
    if (pid_ == 0) return;
    timedOut_ = true;
    // Not quietly: the notice shows how far it got, with its log.
    desktop_.End(pid_, false);
  });
}

void NodeBuilds::Run(const NodeBuilder& builder, std::vector<NodeJob> jobs,
                     std::function<void(bool)> done) {
  Cancel();
  builder_ = builder;
  jobs_ = std::move(jobs);
  next_ = 0;
  done_ = std::move(done);
  failure_.clear();
  ++run_;
  Next();
}

void NodeBuilds::Cancel() {
  ++run_;
  timeout_.stop();
  if (pid_ != 0) desktop_.End(pid_, true);
  pid_ = 0;
  done_ = nullptr;
}

void NodeBuilds::Fail(const QString& why, bool tell) {
  failure_ = why;
  pid_ = 0;
  if (tell) desktop_.Tell(owner_, why, MessageIcon::Exclamation);
  if (auto done = std::exchange(done_, nullptr)) done(false);
}

void NodeBuilds::Next() {
  if (next_ == jobs_.size()) {
    pid_ = 0;
    if (auto done = std::exchange(done_, nullptr)) done(true);
    return;
  }
  const NodeJob& job = jobs_[next_];
  // The builder reads a copy: a save arriving meanwhile cannot change its input under it.
  QFile::remove(Qs(InputOf(job)));
  QFile::remove(Qs(OutputOf(job)));
  if (!QFile::copy(Qs(job.source), Qs(InputOf(job)))) {
    Fail(Qs(job.source) + QStringLiteral(" cannot be read, so its nodes were not built."), true);
    return;
  }
  LaunchRequest request;
  request.File = builder_.path;
  request.Arguments = NodeBuilderArguments(builder_.path, InputOf(job), OutputOf(job));
  request.Directory = DirectoryOf(job.copy);
  request.LogDirectory = builder_.logDirectory;
  request.Title = builder_.title;
  const LaunchResult started = desktop_.Launch(owner_, request);
  if (!started.Started()) {
    QFile::remove(Qs(InputOf(job)));
    Fail(QStringLiteral("Could not start ") + Qs(builder_.path) + QStringLiteral(": ") +
             Qs(started.failure) + u'.',
         true);
    return;
  }
  pid_ = started.pid;
  timedOut_ = false;
  timeout_.start(timeoutMs_);
  const std::uint64_t run = run_;
  desktop_.WhenEnded(started.pid, [this, run](const LaunchEnd& end) { Finished(run, end); });
}

void NodeBuilds::Finished(std::uint64_t run, const LaunchEnd& end) {
  if (run != run_) return;
  timeout_.stop();
  const NodeJob& job = jobs_[next_];
  QFile::remove(Qs(InputOf(job)));
  const QString name = Qs(builder_.title.empty() ? FileNameOf(builder_.path) : builder_.title);
  // A failed run has its notice already, with its status, its last lines and its log.
  if (timedOut_) {
    Fail(QStringLiteral("%1 did not finish within %2 seconds and was ended.")
             .arg(name)
             .arg(timeoutMs_ / 1000),
         false);
    return;
  }
  if (end.Failed()) {
    Fail(QStringLiteral("%1 failed (exit status %2).").arg(name).arg(end.code), false);
    return;
  }
  const wad::WadReadResult built = wad::ReadWadFile(OutputOf(job));
  if (!built.Ok()) {
    const bool wrote = QFileInfo::exists(Qs(OutputOf(job)));
    QFile::remove(Qs(OutputOf(job)));
    QString text = QStringLiteral("%1 ended without building the nodes of %2: %3.")
                       .arg(name, Qs(job.source),
                            wrote ? Qs(built.detail) : QStringLiteral("it wrote no file"));
    const QStringList tail = frmPortStopped::LogTail(Qs(end.logPath), 0);
    if (!tail.isEmpty()) {
      text += QStringLiteral("\r\n\r\nIts last lines (%1):\r\n").arg(Qs(end.logPath)) +
              tail.mid(std::max<qsizetype>(0, tail.size() - kTailLines)).join("\r\n");
    }
    Fail(text, true);
    return;
  }
  // Renamed over the copy: a port still reading the old one keeps it whole.
  if (::rename(OutputOf(job).c_str(), job.copy.c_str()) != 0) {
    Fail(Qs(job.copy) + QStringLiteral(" cannot be written."), true);
    return;
  }
  ++next_;
  Next();
}

}  // namespace quillon
