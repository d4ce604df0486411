#pragma once

#include <functional>

namespace quillon::IniCache {

// Saves change the shared cached document and mark it dirty. With a requester installed,
// the engine calls it once when a file first becomes dirty, and the application answers
// by calling FlushAll when its event loop gets control back. With none installed (the
// default), every Save writes the file at once.
void SetFlushRequester(std::function<void()> requester);

// Writes every dirty file atomically. Returns false when a write failed; such a file
// stays dirty in memory and is tried again at the next flush.
bool FlushAll();

// True while some file has changes not yet written.
bool HasPendingWrites();

}  // namespace quillon::IniCache
