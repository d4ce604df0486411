// Applies edit batches to a configuration file the way the window does, one atomic flush
// per batch, until it is killed or runs out of batches.
//
//   quillon_crash_child FILE SEED FIRST LAST
//
// The file must hold the state after batch FIRST - 1. One line "ready" on standard output
// says the batches are starting.

#include <cstdio>
#include <cstdlib>
#include <string>

#include "core/settings/IniCache.h"
#include "core/settings/ReadWrite.h"
#include "robustness/EditBatches.h"

int main(int argc, char** argv) {
  if (argc != 5) {
    std::fputs("usage: quillon_crash_child FILE SEED FIRST LAST\n", stderr);
    return 2;
  }
  const auto seed = static_cast<std::uint32_t>(std::strtoul(argv[2], nullptr, 10));
  const int first = std::atoi(argv[3]);
  const int last = std::atoi(argv[4]);

  // As the window does: saves pile up and one flush writes them when the event is done.
  quillon::IniCache::SetFlushRequester([] {});
  quillon::ReadWrite ini;
  ini.SetFileName(argv[1]);
  ini.Load("Ports", "NumPorts");  // read the file before the clock starts
  std::puts("ready");
  std::fflush(stdout);

  for (int batch = first; batch <= last; ++batch) {
    quillon::robustness::ApplyBatch(ini, seed, batch);
    if (!quillon::IniCache::FlushAll()) return 1;
  }
  return 0;
}
