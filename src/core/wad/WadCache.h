#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <unordered_map>

#include "core/wad/WadReader.h"

namespace quillon::wad {

// A file's size and modification time, enough to tell that it changed since it was read.
struct WadStamp {
  bool present = false;
  std::uint64_t size = 0;
  std::int64_t mtimeNs = 0;
  bool operator==(const WadStamp&) const = default;
};

// Directories already read, keyed by path and checked against the file's size and
// modification time: asking again for an unchanged file costs one stat. A file that is not
// there keeps no entry. Safe to share between threads, so the window can read off its own
// thread.
class WadCache {
 public:
  using StatFunction = std::function<WadStamp(const std::string& path)>;
  using ReadFunction = std::function<WadReadResult(const std::string& path)>;

  // Tests may count or script the disk; by default stat(2) and ReadWadFile.
  explicit WadCache(StatFunction stat = nullptr, ReadFunction read = nullptr);

  std::shared_ptr<const WadReadResult> Read(const std::string& path);
  std::size_t Size() const;
  void Clear();

 private:
  struct Entry {
    WadStamp stamp;
    std::shared_ptr<const WadReadResult> result;
  };
  StatFunction stat_;
  ReadFunction read_;
  mutable std::mutex mutex_;
  std::unordered_map<std::string, Entry> entries_;
};

}  // namespace quillon::wad
