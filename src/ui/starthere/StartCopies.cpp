#include "ui/starthere/StartCopies.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "core/files/PathHelpers.h"
#include "core/files/PrivateFolders.h"
#include "ui/desktop/CopyFolder.h"
#include "ui/desktop/QtText.h"

namespace quillon {

namespace {

bool ReadWhole(const std::string& path, std::string& out) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  out.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  return !in.bad();
}

}  // namespace

QString StartCopies::Folder() const {
  return folder_.Folder();
}

StartCopies::Made StartCopies::Make(const StartMap& map, const wad::StartSpot& spot,
                                    std::string path) {
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
  if (!CreatePrivateFolders(Ss(Folder()))) return {{}, Ss(Folder()) + " cannot be made"};
  if (path.empty()) path = folder_.NewPath("start", name);
  // Written beside it and renamed over it: no fsync, a copy is not worth keeping over a crash.
  const QString written = Qs(path + ".new");
  QFile out(written);
  if (!out.open(QIODevice::WriteOnly | QIODevice::Truncate) ||
      out.write(copy.bytes.data(), static_cast<qint64>(copy.bytes.size())) !=
          static_cast<qint64>(copy.bytes.size()) ||
      !out.flush()) {
    out.remove();
    return {{}, path + " cannot be written"};
  }
  out.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner);
  out.close();
  std::error_code failed;
  std::filesystem::rename(Ss(written), path, failed);
  if (failed) {
    QFile::remove(written);
    return {{}, path + " cannot be written"};
  }
  return {path, {}};
}

}  // namespace quillon
