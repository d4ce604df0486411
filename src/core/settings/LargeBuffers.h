#pragma once

#include <cstddef>
#include <vector>

namespace quillon {

// A settings file of four full lists is read into buffers of several megabytes, filled at
// once. Taking their pages from the kernel one fault at a time was the largest single cost
// of such a start (on a virtual machine a fault is dear); asking for them in one call, or
// in 2 MiB pages, costs a fraction of it. Both calls only advise: where the kernel does not
// know them, the pages come one fault at a time as before.

// Lets the whole 2 MiB pages inside [data, data + size), not yet touched, be huge pages.
void AllowHugePages(void* data, std::size_t size);

// Maps the pages inside [data, data + size) now, in one call; a small range is left alone.
void Prefault(void* data, std::size_t size);

// A buffer that keeps replaced texts until it is packed: true once the unused bytes are
// both many and more than half of it, so packing costs little against the edits before it.
inline bool WorthPacking(std::size_t unusedBytes, std::size_t totalBytes) {
  return unusedBytes > 64 * 1024 && 2 * unusedBytes > totalBytes;
}

// Reserves room for `count` elements and maps it at once.
template <class T>
void ReserveNow(std::vector<T>& vector, std::size_t count) {
  vector.reserve(count);
  Prefault(vector.data(), vector.capacity() * sizeof(T));
}

}  // namespace quillon
