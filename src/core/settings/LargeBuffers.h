#pragma once

#include <cstddef>
#include <vector>

namespace quillon {

// A settings file of four full lists is read into buffers of several megabytes, filled at
// once. Taking their pages from the kernel one fault at a time was the largest single cost
// of such a start (on a virtual machine a fault is dear); asking for them in one call costs
// a fraction of it. The call only advises: where the kernel does not know it, the pages
// come one fault at a time as before. (Huge pages for the file's bytes were tried: with the
// kernel's "madvise" defragmentation the fault waits for a compaction, and reading the 11 MB
// took 23 ms instead of 6.)

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
