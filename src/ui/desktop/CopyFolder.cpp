#include "ui/desktop/CopyFolder.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <algorithm>

#include "ui/desktop/Desktop.h"
#include "ui/desktop/QtText.h"

namespace quillon {

namespace {
// How often the copies in use are looked at while a port runs.
constexpr int kSweepMs = 2000;
}  // namespace

CopyFolder::CopyFolder(Desktop& desktop, QString root, QObject* parent)
    : QObject(parent), desktop_(desktop) {
  const QDir rootDir(root);
  const QString own = QString::number(QCoreApplication::applicationPid());
  folder_ = rootDir.filePath(own);
  // Each Quillon keeps its copies in a folder named by its process; one whose Quillon no
  // longer runs (Linux lists the running ones under /proc) is left over.
  for (const QString& name : rootDir.entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
    bool number = false;
    name.toLongLong(&number);
    if (number && (name == own || !QFileInfo::exists(QStringLiteral("/proc/") + name))) {
      QDir(rootDir.filePath(name)).removeRecursively();
    }
  }
  sweeper_.setInterval(kSweepMs);
  connect(&sweeper_, &QTimer::timeout, this, &CopyFolder::Sweep);
}

std::string CopyFolder::NewPath(std::string_view kind, std::string_view name) {
  return Ss(QDir(folder_).filePath(
      QStringLiteral("%1-%2-").arg(Qs(std::string(kind))).arg(++made_) + Qs(std::string(name))));
}

void CopyFolder::UsedBy(const std::string& path, std::vector<std::int64_t> pids) {
  const auto found = std::find_if(inUse_.begin(), inUse_.end(),
                                  [&](const auto& copy) { return copy.first == path; });
  if (found == inUse_.end()) {
    inUse_.emplace_back(path, std::move(pids));
  } else {
    found->second.insert(found->second.end(), pids.begin(), pids.end());
  }
  Sweep();
}

void CopyFolder::Hold(const std::string& path, bool held) {
  if (held) {
    held_.insert(path);
    if (std::none_of(inUse_.begin(), inUse_.end(),
                     [&](const auto& c) { return c.first == path; })) {
      inUse_.emplace_back(path, std::vector<std::int64_t>{});
    }
  } else if (const auto hold = held_.find(path); hold != held_.end()) {
    held_.erase(hold);
  }
  Sweep();
}

void CopyFolder::Sweep() {
  std::erase_if(inUse_, [&](auto& copy) {
    std::erase_if(copy.second, [&](std::int64_t pid) { return !desktop_.Running(pid); });
    if (!copy.second.empty() || held_.contains(copy.first)) return false;
    QFile::remove(Qs(copy.first));
    return true;
  });
  // Only a copy in use by a port needs looking at again; a held one waits for its release.
  const bool portsRun = std::any_of(inUse_.begin(), inUse_.end(),
                                    [](const auto& copy) { return !copy.second.empty(); });
  if (!portsRun) {
    sweeper_.stop();
  } else if (!sweeper_.isActive()) {
    sweeper_.start();
  }
}

}  // namespace quillon
