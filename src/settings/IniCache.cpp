#include "settings/IniCache.h"

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <system_error>
#include <unordered_map>
#include <utility>

#include "settings/FileStore.h"
#include "settings/IniDocument.h"
#include "settings/ReadWrite.h"

namespace quillon {

namespace {
struct PendingSave {
  std::string section;
  std::string key;
  std::string value;
};
}  // namespace

// The one cached copy of a file, shared by every ReadWrite bound to its path.
class IniFileHandle : public std::enable_shared_from_this<IniFileHandle> {
 public:
  explicit IniFileHandle(std::filesystem::path path) : path(std::move(path)) {}

  const std::filesystem::path path;
  IniDocument document;
  filestore::FileStamp stamp;  // the file as we last read or wrote it
  bool loaded = false;
  bool dirty = false;
  // The event in which the stamp was last checked against the disk (see RefreshIfChanged).
  std::uint64_t checkedIn = 0;
  // Every Save since the last successful write, to replay over an outside edit.
  std::vector<PendingSave> pending;
  // Why the last write failed, in the system's words.
  std::string failure;
};

namespace {

struct CacheState {
  std::unordered_map<std::string, std::weak_ptr<IniFileHandle>> files;
  // Held strongly so unwritten changes outlive the last ReadWrite on the file.
  std::vector<std::shared_ptr<IniFileHandle>> dirty;
  std::function<void()> requester;
  bool flushRequested = false;
  // Counts the app's events: each FlushAll ends one. Never 0, so a new handle is unchecked.
  std::uint64_t event = 1;
};

CacheState& State() {
  static CacheState state;
  return state;
}

void Reload(IniFileHandle& file) {
  filestore::ReadResult read = filestore::ReadFile(file.path);
  file.document = read.status == filestore::ReadResult::Status::Ok
                      ? IniDocument::Parse(std::move(read.bytes))
                      : IniDocument{};
  file.stamp = read.stamp;  // Unknown after a failed read, so the next access tries again
  file.loaded = true;
}

// Asks the app once to call FlushAll when the current event is done.
void RequestFlush() {
  CacheState& state = State();
  if (state.flushRequested) return;
  state.flushRequested = true;
  state.requester();
}

// While dirty, our copy is the truth until the flush, which does its own check. Otherwise
// the disk is asked once per event when the app defers (another program cannot act in the
// middle of one of our handlers) and at every call when it does not.
void RefreshIfChanged(IniFileHandle& file) {
  if (file.dirty) return;
  CacheState& state = State();
  const bool perEvent = static_cast<bool>(state.requester);
  if (perEvent && file.loaded && file.checkedIn == state.event) return;
  if (!file.loaded || !filestore::SameFile(filestore::Stat(file.path), file.stamp)) Reload(file);
  // A file we could not examine is looked at again on the next call.
  if (perEvent && file.stamp.state != filestore::FileStamp::State::Unknown) {
    file.checkedIn = state.event;
    RequestFlush();  // the end of the event, even one that only reads, ends this trust
  }
}

bool Flush(IniFileHandle& file) {
  if (!filestore::SameFile(filestore::Stat(file.path), file.stamp)) {
    // Changed on disk since we read it: keep both that edit and ours.
    filestore::ReadResult read = filestore::ReadFile(file.path);
    // A file we cannot read must not be replaced by our partial picture of it.
    if (read.status == filestore::ReadResult::Status::Failed) {
      file.failure = std::strerror(errno);
      return false;
    }
    IniDocument fresh = read.status == filestore::ReadResult::Status::Ok
                            ? IniDocument::Parse(std::move(read.bytes))
                            : IniDocument{};
    for (const PendingSave& save : file.pending) fresh.Set(save.section, save.key, save.value);
    file.document = std::move(fresh);
    file.stamp = read.stamp;
  }
  const auto written = filestore::WriteAtomically(file.path, file.document.Serialize());
  if (!written) {
    file.failure = std::strerror(errno);
    return false;
  }
  file.stamp = *written;
  file.pending.clear();
  file.dirty = false;
  return true;
}

void ForgetDirty(IniFileHandle& file) {
  auto& dirty = State().dirty;
  dirty.erase(std::remove_if(dirty.begin(), dirty.end(),
                             [&](const auto& held) { return held.get() == &file; }),
              dirty.end());
}

// Forgets the unwritten changes; the next access reads the file as it is on disk.
void Discard(IniFileHandle& file) {
  file.pending.clear();
  file.loaded = false;
  if (file.dirty) {
    file.dirty = false;
    ForgetDirty(file);
  }
}

}  // namespace

namespace detail {

std::shared_ptr<IniFileHandle> OpenCachedFile(const std::string& fileName) {
  std::error_code error;
  std::filesystem::path path = std::filesystem::absolute(fileName, error);
  if (error) path = fileName;
  path = path.lexically_normal();

  auto& files = State().files;
  std::erase_if(files, [](const auto& entry) { return entry.second.expired(); });
  std::weak_ptr<IniFileHandle>& slot = files[path.string()];
  if (auto existing = slot.lock()) return existing;
  auto created = std::make_shared<IniFileHandle>(path);
  slot = created;
  return created;
}

std::string CachedLoad(IniFileHandle& file, std::string_view section, std::string_view key) {
  RefreshIfChanged(file);
  const auto raw = file.document.RawValue(CleanName(section), CleanName(key));
  return raw ? ValueForLoad(*raw) : std::string();
}

std::string CachedLoadRaw(IniFileHandle& file, std::string_view section, std::string_view key) {
  RefreshIfChanged(file);
  const auto raw = file.document.RawValue(CleanName(section), CleanName(key));
  return raw ? std::string(*raw) : std::string();
}

void CachedSave(IniFileHandle& file, std::string_view section, std::string_view key,
                std::string_view value) {
  RefreshIfChanged(file);
  PendingSave save{CleanName(section), CleanName(key), WithoutLineBreaks(value)};
  const auto stored = file.document.RawValue(save.section, save.key);
  // Legacy text that Load converted is written back as it was when it comes back unchanged.
  if (!stored || !IsLegacyTextOf(*stored, save.value)) {
    file.document.Set(save.section, save.key, save.value);
    file.pending.push_back(std::move(save));
    if (!file.dirty) {
      file.dirty = true;
      State().dirty.push_back(file.shared_from_this());
    }
  }
  if (!file.dirty) return;
  if (!State().requester) {
    // A failed write leaves the file dirty; the next Save or FlushAll tries again.
    if (Flush(file)) ForgetDirty(file);
  } else {
    RequestFlush();
  }
}

void CachedCreate(IniFileHandle& file, std::string bytes) {
  const auto written = filestore::WriteAtomically(file.path, bytes);
  if (!written) throw IniWriteError(std::strerror(errno));
  file.document = IniDocument::Parse(std::move(bytes));
  file.stamp = *written;
  file.loaded = true;
  // The new content supersedes whatever was waiting to be written.
  file.pending.clear();
  if (file.dirty) {
    file.dirty = false;
    ForgetDirty(file);
  }
}

std::optional<std::string> CachedWriteOrDiscard(IniFileHandle& file) {
  if (!file.dirty || Flush(file)) {
    ForgetDirty(file);
    return std::nullopt;
  }
  std::string why = file.failure;
  Discard(file);
  return why;
}

}  // namespace detail

namespace IniCache {

void SetFlushRequester(std::function<void()> requester) {
  State().requester = std::move(requester);
  State().flushRequested = false;
  ++State().event;
}

bool FlushAll() {
  CacheState& state = State();
  state.flushRequested = false;
  ++state.event;  // the event is over: the next call asks the disk again
  std::vector<std::shared_ptr<IniFileHandle>> dirty = std::move(state.dirty);
  state.dirty.clear();
  bool allWritten = true;
  for (auto& file : dirty) {
    if (!file->dirty || Flush(*file)) continue;
    allWritten = false;
    state.dirty.push_back(std::move(file));
  }
  return allWritten;
}

void DiscardPendingWrites() {
  for (const auto& file : std::vector(State().dirty)) Discard(*file);
  State().dirty.clear();
}

bool HasPendingWrites() {
  return !State().dirty.empty();
}

}  // namespace IniCache

}  // namespace quillon
