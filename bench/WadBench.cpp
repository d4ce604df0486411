// Reading WAD directories: the reader against reading the whole file (the baseline), on the
// Freedoom 2 IWAD and on ten PWADs the benchmark writes, and the map list of a 100-file
// custom list as the window asks for it, cold and from the cache.

#include <benchmark/benchmark.h>

#include <filesystem>
#include <fstream>

#include "BenchSupport.h"
#include "core/wad/MapMerge.h"
#include "core/wad/WadCache.h"
#include "core/wad/WadReader.h"
#include "support/WadWriter.h"

namespace {

using namespace quillon;
using namespace quillon::wad;

const std::string kFreedoom2 = "/usr/share/games/doom/freedoom2.wad";

// PWADs the size mappers share: a handful of maps, a few hundred lumps, a megabyte or two
// of textures and sounds in between.
struct PwadSet {
  test::ScratchFolder folder;
  std::vector<std::string> paths;
  std::uint64_t totalSize = 0;

  explicit PwadSet(int count) {
    for (int n = 0; n < count; ++n) {
      std::vector<test::TestLump> lumps;
      for (int map = 1; map <= 1 + n % 8; ++map) {
        const int number = map + n % 20;
        auto doom = test::DoomMap((number < 10 ? "MAP0" : "MAP") + std::to_string(number));
        doom[1].data.assign(20'000, 't');
        lumps.insert(lumps.end(), doom.begin(), doom.end());
      }
      for (int lump = 0; lump < 300; ++lump) {
        lumps.push_back({"TEX" + std::to_string(lump), std::string(4'000 + 100 * n, 'x')});
      }
      const std::string path = folder.File("pwad" + std::to_string(n) + ".wad");
      test::WriteBytes(path, test::MakeWad("PWAD", lumps));
      totalSize += std::filesystem::file_size(path);
      paths.push_back(path);
    }
  }
};

using bench::ReadWholeFile;

void BM_WadDirectoryFreedoom2(benchmark::State& state) {
  if (!std::filesystem::exists(kFreedoom2)) return state.SkipWithError("freedoom2.wad missing");
  WadReadResult result;
  for (auto _ : state) {
    result = ReadWadFile(kFreedoom2);
    benchmark::DoNotOptimize(result);
  }
  state.counters["bytes_read"] = static_cast<double>(result.bytesRead);
  state.counters["file_size"] = static_cast<double>(result.fileSize);
  state.counters["lumps"] = static_cast<double>(result.directory.lumps.size());
  state.counters["maps"] = static_cast<double>(result.directory.maps.size());
}
BENCHMARK(BM_WadDirectoryFreedoom2)->Unit(benchmark::kMillisecond);

// Baseline: what a reader that loads the file first would pay.
void BM_WadWholeFileFreedoom2(benchmark::State& state) {
  if (!std::filesystem::exists(kFreedoom2)) return state.SkipWithError("freedoom2.wad missing");
  std::size_t size = 0;
  for (auto _ : state) {
    const std::string bytes = ReadWholeFile(kFreedoom2);
    size = bytes.size();
    benchmark::DoNotOptimize(bytes.data());
  }
  state.counters["bytes_read"] = static_cast<double>(size);
}
BENCHMARK(BM_WadWholeFileFreedoom2)->Unit(benchmark::kMillisecond);

void BM_WadDirectoryTenPwads(benchmark::State& state) {
  const PwadSet set(10);
  std::uint64_t bytesRead = 0;
  for (auto _ : state) {
    bytesRead = 0;
    for (const std::string& path : set.paths) bytesRead += ReadWadFile(path).bytesRead;
  }
  state.counters["bytes_read"] = static_cast<double>(bytesRead);
  state.counters["file_size"] = static_cast<double>(set.totalSize);
}
BENCHMARK(BM_WadDirectoryTenPwads)->Unit(benchmark::kMillisecond);

void BM_WadWholeFileTenPwads(benchmark::State& state) {
  const PwadSet set(10);
  for (auto _ : state) {
    for (const std::string& path : set.paths) benchmark::DoNotOptimize(ReadWholeFile(path).size());
  }
  state.counters["bytes_read"] = static_cast<double>(set.totalSize);
}
BENCHMARK(BM_WadWholeFileTenPwads)->Unit(benchmark::kMillisecond);

// The completions of a 100-file list behind the Freedoom IWAD: every directory read
// (first selection) and every file unchanged (each later one: one stat a file).
void BM_CollectMaps100Files(benchmark::State& state) {
  const bool cached = state.range(0) != 0;
  const PwadSet set(100);
  std::vector<std::string> paths = set.paths;
  if (std::filesystem::exists(kFreedoom2)) paths.insert(paths.begin(), kFreedoom2);
  WadCache warm;
  CollectMaps(paths, warm);
  std::size_t maps = 0;
  for (auto _ : state) {
    if (cached) {
      maps = CollectMaps(paths, warm).size();
    } else {
      WadCache cold;
      maps = CollectMaps(paths, cold).size();
    }
  }
  state.counters["maps"] = static_cast<double>(maps);
}
BENCHMARK(BM_CollectMaps100Files)->Arg(0)->Arg(1)->ArgName("cached")->Unit(benchmark::kMillisecond);

}  // namespace
