#include "core/settings/IniCache.h"

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <deque>
#include <filesystem>
#include <future>
#include <optional>
#include <system_error>
#include <unordered_map>
#include <utility>

#include "core/settings/FileStore.h"
#include "core/settings/IniDocument.h"
#include "core/settings/ReadWrite.h"

namespace quillon {

namespace {

// Every Save since the last write, in order, packed into one buffer: a removal near the top
// of a full list logs some 65 000 saves. A save is logged by its section and key; its value
// is the document's when the log is replayed, which is the last one saved under that key,
// so the entries' text is not copied. Only a key that the document cannot find again by
// its name (one holding '=', or one starting a section) keeps its value here, and before it
// is set every earlier value is taken, since such a key may move other keys to a section of
// its own.
class SaveLog {
 public:
  static bool FoundByName(std::string_view key) {
    return key.find('=') == std::string_view::npos && !key.starts_with('[');
  }
  // A value is given only for a key not FoundByName.
  void Add(std::string_view section, std::string_view key, std::optional<std::string_view> value) {
    entries_.push_back(
        {bytes_.size(), section.size(), key.size(), value ? value->size() : 0, value.has_value()});
    bytes_.append(section).append(key);
    if (value) bytes_.append(*value);
  }
  // Add of the key prefix + n + suffix, which is FoundByName when the prefix is.
  void AddNumbered(std::string_view section, std::string_view prefix, int n,
                   std::string_view suffix) {
    const std::size_t begin = bytes_.size();
    AppendEntryKey(bytes_.append(section), prefix, n, suffix);
    entries_.push_back({begin, section.size(), bytes_.size() - begin - section.size(), 0, false});
  }
  // Takes every logged value from the document as it is now.
  void KeepValues(const IniDocument& document) {
    if (std::all_of(entries_.begin(), entries_.end(), [](const Entry& e) { return e.kept; })) {
      return;
    }
    SaveLog kept;
    ForEach(document, [&](std::string_view section, std::string_view key, std::string_view value) {
      kept.Add(section, key, value);
    });
    *this = std::move(kept);
  }
  template <class Apply>
  void ForEach(const IniDocument& document, Apply apply) const {
    const std::string_view bytes = bytes_;
    for (const Entry& entry : entries_) {
      const std::string_view section = bytes.substr(entry.begin, entry.section);
      const std::string_view key = bytes.substr(entry.begin + entry.section, entry.key);
      apply(section, key, ValueOf(document, entry));
    }
  }
  void Clear() {
    bytes_.clear();
    entries_.clear();
  }

 private:
  struct Entry {
    std::size_t begin;
    std::size_t section;
    std::size_t key;
    std::size_t value;
    bool kept;  // the value follows the key in bytes_
  };
  std::string_view ValueOf(const IniDocument& document, const Entry& entry) const {
    const std::string_view bytes = bytes_;
    if (entry.kept) return bytes.substr(entry.begin + entry.section + entry.key, entry.value);
    return document
        .RawValue(bytes.substr(entry.begin, entry.section),
                  bytes.substr(entry.begin + entry.section, entry.key))
        .value_or(std::string_view());
  }
  std::string bytes_;
  std::vector<Entry> entries_;
};

// Section and key names as the file would read them back, and the value without line
// breaks; views of the caller's text unless something had to change.
class CleanText {
 public:
  CleanText(std::string_view text, bool isName) : view_(text) {
    const bool breaks = HoldsLineBreak(text);
    const bool blanks =
        isName && !text.empty() &&
        (text.front() == ' ' || text.front() == '\t' || text.back() == ' ' || text.back() == '\t');
    if (breaks || blanks) {
      storage_ = isName ? CleanName(text) : WithoutLineBreaks(text);
      view_ = storage_;
    }
  }
  CleanText(const CleanText&) = delete;
  CleanText& operator=(const CleanText&) = delete;
  operator std::string_view() const { return view_; }

 private:
  std::string storage_;
  std::string_view view_;
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
  SaveLog pending;
  // Why the last write failed, in the system's words.
  std::string failure;
  // A new number each time the document is taken from the disk anew (see Generation).
  std::uint64_t generation = 0;
};

namespace {

// A file as one read found it: its bytes parsed, none when it could not be read.
struct ReadFound {
  filestore::ReadResult::Status status = filestore::ReadResult::Status::Failed;
  filestore::FileStamp stamp;
  IniDocument document;
};

ReadFound ReadAndParse(const std::filesystem::path& path) {
  filestore::ReadResult read = filestore::ReadFile(path);
  ReadFound found{read.status, read.stamp, {}};
  if (read.status == filestore::ReadResult::Status::Ok) {
    found.document = IniDocument::Parse(std::move(read.bytes));
  }
  return found;
}

// The path under which the cache holds a file's one copy.
std::string CacheKey(const std::string& fileName) {
  std::error_code error;
  std::filesystem::path path = std::filesystem::absolute(fileName, error);
  if (error) path = fileName;
  return path.lexically_normal().string();
}

struct CacheState {
  std::unordered_map<std::string, std::weak_ptr<IniFileHandle>> files;
  // A file being read ahead of its first load, and its cache key.
  std::string aheadKey;
  std::future<ReadFound> ahead;
  // Held strongly so unwritten changes outlive the last ReadWrite on the file.
  std::vector<std::shared_ptr<IniFileHandle>> dirty;
  std::function<void()> requester;
  bool flushRequested = false;
  // Counts the app's events: each FlushAll ends one. Never 0, so a new handle is unchecked.
  std::uint64_t event = 1;
  std::uint64_t reads = 0;  // the last generation given to any file
};

CacheState& State() {
  static CacheState state;
  return state;
}

// What the read ahead found, when it was of this file and the file is still as it found it.
std::optional<ReadFound> TakeReadAhead(const std::filesystem::path& path) {
  CacheState& state = State();
  if (!state.ahead.valid() || state.aheadKey != path.string()) return std::nullopt;
  ReadFound found = state.ahead.get();
  state.aheadKey.clear();
  if (found.status == filestore::ReadResult::Status::Failed ||
      !filestore::SameFile(filestore::Stat(path), found.stamp)) {
    return std::nullopt;
  }
  return found;
}

void Reload(IniFileHandle& file) {
  std::optional<ReadFound> ahead = TakeReadAhead(file.path);
  ReadFound read = ahead ? std::move(*ahead) : ReadAndParse(file.path);
  if (read.status == filestore::ReadResult::Status::Missing && file.loaded &&
      file.stamp.state == filestore::FileStamp::State::Present) {
    // Deleted while we run: what we knew of it stands in for it, and the next write puts
    // all of it back rather than a file holding only the keys written since.
    file.stamp = read.stamp;
    return;
  }
  file.document = std::move(read.document);  // empty unless the file was read
  file.stamp = read.stamp;  // Unknown after a failed read, so the next access tries again
  file.loaded = true;
  file.generation = ++State().reads;
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
    // Deleted since: our copy, all we knew plus our changes, is what is left of it.
    if (read.status == filestore::ReadResult::Status::Ok) {
      IniDocument fresh = IniDocument::Parse(std::move(read.bytes));
      file.pending.ForEach(file.document,
                           [&fresh](std::string_view section, std::string_view key,
                                    std::string_view value) { fresh.Set(section, key, value); });
      file.document = std::move(fresh);
    }
    file.stamp = read.stamp;
    file.generation = ++State().reads;
  }
  const auto written = filestore::WriteAtomically(file.path, file.document.Pieces());
  if (!written) {
    file.failure = std::strerror(errno);
    return false;
  }
  file.stamp = *written;
  file.pending.Clear();
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
  file.pending.Clear();
  file.loaded = false;
  if (file.dirty) {
    file.dirty = false;
    ForgetDirty(file);
  }
}

}  // namespace

namespace detail {

std::shared_ptr<IniFileHandle> OpenCachedFile(const std::string& fileName) {
  std::string path = CacheKey(fileName);
  auto& files = State().files;
  std::erase_if(files, [](const auto& entry) { return entry.second.expired(); });
  std::weak_ptr<IniFileHandle>& slot = files[path];
  if (auto existing = slot.lock()) return existing;
  auto created = std::make_shared<IniFileHandle>(path);
  slot = created;
  return created;
}

std::string CachedLoad(IniFileHandle& file, std::string_view section, std::string_view key) {
  RefreshIfChanged(file);
  const auto raw = file.document.RawValue(CleanText(section, true), CleanText(key, true));
  return raw ? ValueForLoad(*raw) : std::string();
}

std::string CachedLoadRaw(IniFileHandle& file, std::string_view section, std::string_view key) {
  RefreshIfChanged(file);
  const auto raw = file.document.RawValue(CleanText(section, true), CleanText(key, true));
  return raw ? std::string(*raw) : std::string();
}

std::string_view CachedLoadWholeView(IniFileHandle& file, std::string_view section,
                                     std::string_view key, std::string& converted) {
  RefreshIfChanged(file);
  const auto raw = file.document.RawValue(CleanText(section, true), CleanText(key, true));
  return raw ? WholeValueView(*raw, converted) : std::string_view();
}

void CachedLoadWholeNumbered(IniFileHandle& file, std::string_view section, std::string_view prefix,
                             std::string_view suffix, int count,
                             const std::function<void(std::string_view)>& take) {
  RefreshIfChanged(file);
  std::deque<std::string> converted;
  for (const std::string_view value : file.document.NumberedWholeValues(
           CleanText(section, true), prefix, suffix, count, converted)) {
    take(value);
  }
}

std::shared_ptr<const std::string> CachedSharedText(IniFileHandle& file) {
  RefreshIfChanged(file);
  return file.document.SharedText();
}

namespace {

// After saves logged already (changed: any of them changed the document): writes, or asks
// for the write, as every save does.
void Saved(IniFileHandle& file, bool changed) {
  if (changed && !file.dirty) {
    file.dirty = true;
    State().dirty.push_back(file.shared_from_this());
  }
  if (!file.dirty) return;
  if (!State().requester) {
    // A failed write leaves the file dirty; the next Save or FlushAll tries again.
    if (Flush(file)) ForgetDirty(file);
  } else {
    RequestFlush();
  }
}

// Logs a save that changed the document, then as above. `kept`: the value, for a key not
// SaveLog::FoundByName.
void Saved(IniFileHandle& file, std::string_view section, std::string_view key, bool changed,
           const std::optional<std::string>& kept) {
  if (changed) {
    file.pending.Add(section, key, kept ? std::optional<std::string_view>(*kept) : std::nullopt);
  }
  Saved(file, changed);
}

// Sets the key to text already clean (a stored line's text holds no line break).
void SaveClean(IniFileHandle& file, std::string_view section, std::string_view key,
               std::string_view value) {
  // Taken before the document changes: the value may be a view of its text.
  std::optional<std::string> kept;
  if (!SaveLog::FoundByName(key)) {
    file.pending.KeepValues(file.document);
    kept.emplace(value);
    value = *kept;
  }
  // Legacy text that Load converted is written back as it was when it comes back unchanged.
  Saved(file, section, key, file.document.Set(section, key, value, IniDocument::Legacy::Keep),
        kept);
}

}  // namespace

void CachedSave(IniFileHandle& file, std::string_view section, std::string_view key,
                std::string_view value) {
  RefreshIfChanged(file);
  SaveClean(file, CleanText(section, true), CleanText(key, true), CleanText(value, false));
}

void CachedMoveRaw(IniFileHandle& file, std::string_view section, std::string_view from,
                   std::string_view to, bool always) {
  RefreshIfChanged(file);
  const CleanText cleanSection(section, true);
  const CleanText cleanFrom(from, true);
  const CleanText cleanTo(to, true);
  // A key the log cannot find again by its name keeps its value there (see SaveLog).
  std::optional<std::string> kept;
  if (!SaveLog::FoundByName(cleanTo)) {
    file.pending.KeepValues(file.document);
    kept.emplace(file.document.RawValue(cleanSection, cleanFrom).value_or(std::string_view()));
  }
  // Legacy text that Load converted stays as it was when the same text comes back.
  const auto moved =
      file.document.Move(cleanSection, cleanFrom, cleanTo, always, IniDocument::Legacy::Keep);
  if (moved != IniDocument::Moved::Skipped) {
    Saved(file, cleanSection, cleanTo, moved == IniDocument::Moved::Changed, kept);
  }
}

void CachedMoveNumberedDown(IniFileHandle& file, std::string_view section, std::string_view prefix,
                            std::span<const IniDocument::NumberedKey> keys, int first, int last) {
  RefreshIfChanged(file);
  const CleanText cleanSection(section, true);
  const std::vector<IniDocument::Moved> moved = file.document.MoveNumberedDown(
      cleanSection, prefix, keys, first, last, IniDocument::Legacy::Keep);
  // Logged as the moves one by one would log them; no key of an entry holds '='.
  bool saved = false;
  bool changed = false;
  for (std::size_t i = 0; i < moved.size(); ++i) {
    if (moved[i] == IniDocument::Moved::Skipped) continue;
    saved = true;
    if (moved[i] != IniDocument::Moved::Changed) continue;
    changed = true;
    file.pending.AddNumbered(cleanSection, prefix, first + static_cast<int>(i / keys.size()),
                             keys[i % keys.size()].suffix);
  }
  if (saved) Saved(file, changed);
}

void CachedCreate(IniFileHandle& file, std::string bytes) {
  const auto written = filestore::WriteAtomically(file.path, bytes);
  if (!written) throw IniWriteError(std::strerror(errno));
  file.document = IniDocument::Parse(std::move(bytes));
  file.stamp = *written;
  file.loaded = true;
  // The new content supersedes whatever was waiting to be written.
  file.pending.Clear();
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

void ReadAhead(const std::string& fileName, std::vector<NumberedKeys> lists, int count) {
  CacheState& state = State();
  state.aheadKey = CacheKey(fileName);
  state.ahead = std::async(std::launch::async, [path = std::filesystem::path(state.aheadKey),
                                                lists = std::move(lists), count] {
    ReadFound found = ReadAndParse(path);
    for (const NumberedKeys& list : lists) {
      found.document.WalkAhead(list.section, list.prefix, list.suffix, count);
    }
    return found;
  });
}

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

std::uint64_t Generation(const std::string& fileName) {
  const std::shared_ptr<IniFileHandle> file = detail::OpenCachedFile(fileName);
  RefreshIfChanged(*file);
  return file->generation;
}

}  // namespace IniCache

}  // namespace quillon
