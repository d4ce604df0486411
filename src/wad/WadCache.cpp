#include "wad/WadCache.h"

#include "settings/FileStore.h"

namespace quillon::wad {

namespace {

// The settings engine's stat is one system call for all we need.
WadStamp StatFile(const std::string& path) {
  const filestore::FileStamp stamp = filestore::Stat(path);
  WadStamp out;
  out.present = stamp.state == filestore::FileStamp::State::Present;
  out.size = stamp.size;
  out.mtimeNs = stamp.mtimeNs;
  return out;
}

}  // namespace

WadCache::WadCache(StatFunction stat, ReadFunction read)
    : stat_(stat ? std::move(stat) : StatFile), read_(read ? std::move(read) : ReadWadFile) {}

std::shared_ptr<const WadReadResult> WadCache::Read(const std::string& path) {
  // Stamped before reading: a change during the read shows up as a new stamp next time.
  const WadStamp stamp = stat_(path);
  {
    const std::lock_guard lock(mutex_);
    const auto found = entries_.find(path);
    if (found != entries_.end() && found->second.stamp == stamp) return found->second.result;
  }
  std::shared_ptr<const WadReadResult> result;
  if (stamp.present) {
    result = std::make_shared<const WadReadResult>(read_(path));
  } else {
    WadReadResult missing;
    missing.status = WadStatus::kFileNotFound;
    missing.detail = "there is no such file";
    result = std::make_shared<const WadReadResult>(std::move(missing));
  }
  const std::lock_guard lock(mutex_);
  entries_[path] = {stamp, result};
  return result;
}

std::size_t WadCache::Size() const {
  const std::lock_guard lock(mutex_);
  return entries_.size();
}

void WadCache::Clear() {
  const std::lock_guard lock(mutex_);
  entries_.clear();
}

}  // namespace quillon::wad
