#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace quillon::IniCache {

// Saves change the shared cached document and mark it dirty. With a requester installed,
// the engine calls it once per event (when a file is first checked against the disk or
// first becomes dirty), and the application answers by calling FlushAll when its event
// loop gets control back. Until then a file checked once is not stat'ed again. With none
// installed (the default), every call checks the disk and every Save writes at once.
void SetFlushRequester(std::function<void()> requester);

// Keys numbered 1, 2, ... of one section: prefix + n + suffix (ReadWrite::LoadWholeNumbered).
struct NumberedKeys {
  std::string section, prefix, suffix;
};

// Reads and parses the file on another thread, so that its first load, made while this
// thread did other work, finds it ready, and reads the lists given there too, for entries
// up to `count`. That load still asks the disk whether the file changed since, and reads
// it anew if it did.
void ReadAhead(const std::string& fileName, std::vector<NumberedKeys> lists = {}, int count = 0);

// Ends the current event: writes every dirty file, and the next call checks the disk
// again. Returns false when a write failed; such a file stays dirty in memory and is tried
// again at the next flush.
bool FlushAll();

// Drops every change not yet written; the next read of each file sees it as it is on disk.
void DiscardPendingWrites();

// True while some file has changes not yet written.
bool HasPendingWrites();

// Changes whenever the file's cached copy is taken from the disk anew: read after another
// program changed it, or merged under our unwritten changes at a flush. Checks the disk as
// a Load does (once per event when deferred). Our own writes leave it as it is.
std::uint64_t Generation(const std::string& fileName);

}  // namespace quillon::IniCache
