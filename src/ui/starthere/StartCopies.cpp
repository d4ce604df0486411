#include "ui/starthere/StartCopies.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <algorithm>
#include <fstream>
#include <iterator>

#include "core/files/PathHelpers.h"
#include "core/files/PrivateFolders.h"
#include "ui/desktop/Desktop.h"
#include "ui/desktop/QtText.h"

namespace quillon {

namespace {

// How often the copies in use are looked at while a port runs.
constexpr int kSweepMs = 2000;

bool ReadWhole(const std::string& path, std::string& out) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  out.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  return !in.bad();
}

}  // namespace

StartCopies::StartCopies(Desktop& desktop, QString root, QObject* parent)
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
  connect(&sweeper_, &QTimer::timeout, this, &StartCopies::Sweep);
}

StartCopies::~StartCopies() = default;

StartCopies::Made StartCopies::Make(const StartMap& map, const wad::StartSpot& spot) {
  std::string bytes;
  if (!ReadWhole(map.file, bytes)) return {{}, map.file + " cannot be read"};
  // The file as it is now, which may not be what the view showed.
  wad::MemorySource source(bytes);
  const wad::WadReadResult wad = wad::ReadWad(source);
  if (!wad.Ok()) return {{}, map.file + ": " + wad.detail};
  const wad::MapReadResult read = wad::ReadMap(source, wad.directory, map.map);
  if (!read.ok) return {{}, map.file + ": " + read.error};
  if (const std::string refusal = wad::SpotRefusal(read.map, spot.x, spot.y); !refusal.empty()) {
    return {{}, refusal};
  }
  std::string name = FileNameOf(map.file);
  if (map.fromIwad) {
    const wad::StartCopy alone = wad::MapAlone(bytes, map.map);
    if (!alone.ok) return {{}, alone.error};
    bytes = alone.bytes;
    name = map.map + ".wad";
  }
  const wad::StartCopy copy = wad::CopyWithStart(bytes, map.map, spot);
  if (!copy.ok) return {{}, "No copy with the start moved can be made: " + copy.error + "."};
  if (!CreatePrivateFolders(Ss(folder_))) return {{}, Ss(folder_) + " cannot be made"};
  const QString path = QDir(folder_).filePath(QStringLiteral("start-%1-").arg(++made_) + Qs(name));
  QFile out(path);
  if (!out.open(QIODevice::WriteOnly | QIODevice::Truncate) ||
      out.write(copy.bytes.data(), static_cast<qint64>(copy.bytes.size())) !=
          static_cast<qint64>(copy.bytes.size()) ||
      !out.flush()) {
    out.remove();
    return {{}, Ss(path) + " cannot be written"};
  }
  out.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner);
  return {Ss(path), {}};
}

void StartCopies::UsedBy(const std::string& path, std::vector<std::int64_t> pids) {
  inUse_.emplace_back(path, std::move(pids));
  Sweep();
}

void StartCopies::Sweep() {
  std::erase_if(inUse_, [&](auto& copy) {
    std::erase_if(copy.second, [&](std::int64_t pid) { return !desktop_.Running(pid); });
    if (!copy.second.empty()) return false;
    QFile::remove(Qs(copy.first));
    return true;
  });
  if (inUse_.empty()) {
    sweeper_.stop();
  } else if (!sweeper_.isActive()) {
    sweeper_.start();
  }
}

}  // namespace quillon
