#include "core/wad/WadCache.h"

#include <exception>

#include "core/settings/FileStore.h"

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

// One answer shared by every file that is not there.
std::shared_ptr<const WadReadResult> MissingFile() {
  static const auto missing = [] {
    WadReadResult result;
    result.status = WadStatus::kFileNotFound;
    result.detail = "there is no such file";
    return std::make_shared<const WadReadResult>(std::move(result));
  }();
  return missing;
}

}  // namespace

WadCache::WadCache(StatFunction stat, ReadFunction read)
    : stat_(stat ? std::move(stat) : StatFile), read_(read ? std::move(read) : ReadWadFile) {}

std::shared_ptr<const WadReadResult> WadCache::Read(const std::string& path) {
  // Stamped before reading: a change during the read shows up as a new stamp next time.
  const WadStamp stamp = stat_(path);
  if (!stamp.present) {
    // A miss costs this one stat whether remembered or not; remembering it costs memory.
    const std::lock_guard lock(mutex_);
    entries_.erase(path);
    return MissingFile();
  }
  {
    const std::lock_guard lock(mutex_);
    const auto found = entries_.find(path);
    if (found != entries_.end() && found->second.stamp == stamp) return found->second.result;
  }
  // The window's worker asks, and an exception there would end the program: a read that
  // throws (memory ran out) is a file that cannot be read, and is tried again next time.
  std::shared_ptr<const WadReadResult> result;
  try {
    result = std::make_shared<const WadReadResult>(read_(path));
  } catch (const std::exception& error) {
    WadReadResult failed;
    failed.status = WadStatus::kUnreadable;
    failed.detail = std::string("reading it failed: ") + error.what();
    return std::make_shared<const WadReadResult>(std::move(failed));
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
