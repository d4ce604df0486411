#include "core/settings/LargeBuffers.h"

#include <cstdint>

#ifndef _WIN32
#include <sys/mman.h>
#include <unistd.h>
#endif

namespace quillon {

namespace {

// Below this a buffer costs few faults; the call would cost more than it saves.
constexpr std::size_t kWorthPrefaulting = 256 * 1024;

struct Range {
  std::uintptr_t begin;
  std::uintptr_t end;
};

// The whole units of `unit` bytes inside the buffer, never a byte outside it.
Range InnerUnits(void* data, std::size_t size, std::uintptr_t unit) {
  const auto first = reinterpret_cast<std::uintptr_t>(data);
  return {(first + unit - 1) & ~(unit - 1), (first + size) & ~(unit - 1)};
}

}  // namespace

void Prefault([[maybe_unused]] void* data, [[maybe_unused]] std::size_t size) {
#if defined(MADV_POPULATE_WRITE)
  if (size < kWorthPrefaulting) return;
  static const auto page = static_cast<std::uintptr_t>(::sysconf(_SC_PAGESIZE));
  const Range pages = InnerUnits(data, size, page);
  if (pages.end > pages.begin) {
    ::madvise(reinterpret_cast<void*>(pages.begin), pages.end - pages.begin, MADV_POPULATE_WRITE);
  }
#endif
}

}  // namespace quillon
