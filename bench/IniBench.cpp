// The INI engine under the loads the window puts on it: a burst of single-key writes
// when an entry is removed from a long list, and the start-up read of every list.

#include <benchmark/benchmark.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <memory>
#include <random>
#include <string>
#include <system_error>
#include <vector>

#include "core/settings/ConfigLayout.h"
#include "core/settings/IniCache.h"
#include "core/settings/NumberConversion.h"
#include "core/settings/ReadWrite.h"

namespace {

namespace fs = std::filesystem;
using quillon::ListId;
using quillon::ListKind;

constexpr ListId kAllLists[] = {ListId::Ports, ListId::IWADs, ListId::Programs, ListId::Files};

// Scratch files live in one directory that goes away with the program.
const fs::path& ScratchDir() {
  struct Dir {
    fs::path path;
    Dir() {
      std::random_device random;
      do {
        path = fs::temp_directory_path() / ("quillon-bench-" + std::to_string(random()));
      } while (!fs::create_directory(path));
    }
    ~Dir() {
      std::error_code error;
      fs::remove_all(path, error);
    }
  };
  static const Dir dir;
  return dir.path;
}

void WriteFile(const fs::path& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
}

// The default file with `entries` entries in each of the given lists.
std::string IniText(const std::vector<ListId>& fullLists, int entries) {
  std::string text;
  for (ListId id : kAllLists) {
    const ListKind& kind = quillon::KindOf(id);
    const bool full = std::find(fullLists.begin(), fullLists.end(), id) != fullLists.end();
    const int count = full ? entries : 0;
    text.append("[").append(kind.section).append("]\r\n");
    text.append(kind.countKey).append("=").append(std::to_string(count)).append("\r\n");
    for (int n = 1; n <= count; ++n) {
      const std::string number = std::to_string(n);
      text += quillon::NameKey(kind, n) + "=Entry number " + number + "\r\n";
      text += quillon::FileKey(kind, n) + "=C:\\Games\\Doom\\" + number + "\\doom.exe\r\n";
    }
    text += "\r\n";
  }
  const std::vector<std::string> defaults = quillon::DefaultIniLines();
  const auto memory = std::find(defaults.begin(), defaults.end(), "[Memory]");
  for (auto line = memory; line != defaults.end(); ++line) text += *line + "\r\n";
  return text;
}

std::unique_ptr<quillon::ReadWrite> OpenIni(const fs::path& path) {
  auto ini = std::make_unique<quillon::ReadWrite>();
  ini->SetFileName(path.string());
  return ini;
}

// Removing the first of N ports: every later entry moves up one place, all inside one
// deferred batch, then the batch is written.
void BM_RemoveFirstOfNPorts(benchmark::State& state) {
  const int entries = static_cast<int>(state.range(0));
  const fs::path file = ScratchDir() / "burst.ini";
  const std::string original = IniText({ListId::Ports}, entries);
  const ListKind& ports = quillon::KindOf(ListId::Ports);
  const std::string section(ports.section);
  quillon::IniCache::SetFlushRequester([] {});

  for (auto _ : state) {
    state.PauseTiming();
    WriteFile(file, original);
    auto ini = OpenIni(file);
    ini->Load(section, ports.countKey);  // the window has read the file long before
    state.ResumeTiming();

    for (int m = 1; m < entries; ++m) {
      const std::string name = ini->Load(section, quillon::NameKey(ports, m + 1));
      const std::string path = ini->Load(section, quillon::FileKey(ports, m + 1));
      ini->Save(section, quillon::NameKey(ports, m), name);
      ini->Save(section, quillon::FileKey(ports, m), path);
    }
    ini->Save(section, quillon::NameKey(ports, entries), "");
    ini->Save(section, quillon::FileKey(ports, entries), "");
    ini->Save(section, ports.countKey, std::to_string(entries - 1));
    if (!quillon::IniCache::FlushAll()) state.SkipWithError("the flush failed");

    state.PauseTiming();
    ini.reset();  // the next round starts cold again
    state.ResumeTiming();
  }
  quillon::IniCache::SetFlushRequester(nullptr);
  state.counters["writes"] = 2.0 * entries + 1;
}
BENCHMARK(BM_RemoveFirstOfNPorts)
    ->Arg(16383)
    ->Arg(32766)
    ->UseRealTime()
    ->Unit(benchmark::kMillisecond);

// What the window reads at start-up: every entry of all four lists from an uncached file,
// with every call checking the disk (no flush hook, as in tests) or as the app runs it, with
// the hook installed and the whole read inside one event.
void BM_ColdLoadFourLists(benchmark::State& state) {
  const int entries = static_cast<int>(state.range(0));
  const bool oneEvent = state.range(1) != 0;
  const fs::path file = ScratchDir() / "cold.ini";
  WriteFile(file, IniText({kAllLists, kAllLists + 4}, entries));
  if (oneEvent) quillon::IniCache::SetFlushRequester([] {});

  for (auto _ : state) {
    auto ini = OpenIni(file);
    std::size_t bytes = 0;
    for (ListId id : kAllLists) {
      const ListKind& kind = quillon::KindOf(id);
      const std::string section(kind.section);
      const int count = quillon::ToInt16(ini->Load(section, kind.countKey)).value_or(0);
      for (int n = 1; n <= count; ++n) {
        bytes += ini->Load(section, quillon::NameKey(kind, n)).size();
        bytes += ini->Load(section, quillon::FileKey(kind, n)).size();
      }
    }
    benchmark::DoNotOptimize(bytes);
    if (oneEvent) quillon::IniCache::FlushAll();  // the event ends

    state.PauseTiming();
    ini.reset();  // drops the cached copy, so every round parses the file afresh
    state.ResumeTiming();
  }
  quillon::IniCache::SetFlushRequester(nullptr);
  state.counters["reads"] = 4.0 * (2.0 * entries + 1);
  state.SetLabel(oneEvent ? "one event, app's flush hook" : "no hook, stat per call");
}
BENCHMARK(BM_ColdLoadFourLists)
    ->ArgsProduct({{16383, 32766}, {0, 1}})
    ->UseRealTime()
    ->Unit(benchmark::kMillisecond);

}  // namespace
