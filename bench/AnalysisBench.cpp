// What a WAD needs of each port: the analysis of a 100 MB megawad of 32 maps and of one map of
// 100 000 sidedefs, cold (the file's pages dropped from the cache before each read) beside
// reading the whole file (the baseline), and cached (the window's WadAnalyses asked again
// about the unchanged file); the peak memory of quillon-check on each file; quillon-check
// on 50 files beside its own start; and the window's longest busy stretch while WadAnalyses
// reads the megawad.

#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <unistd.h>

#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>
#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "BenchSupport.h"
#include "core/wad/WadAnalysis.h"
#include "support/WadWriter.h"
#include "ui/main/WadAnalyses.h"

namespace quillon::bench {
namespace {

using test::TestLump;
using test::TestMapLayout;

// A comb of `teeth` two-sided lines between two rooms, every line and side of its own, with
// textures and flats from a few dozen names, as a large map uses them.
TestMapLayout Comb(int teeth) {
  TestMapLayout layout;
  for (int i = 0; i <= teeth; ++i) {
    layout.vertices.push_back({i * 16, 0});
    layout.vertices.push_back({i * 16, 128});
  }
  layout.sectors.resize(64);
  for (int s = 0; s < 64; ++s) layout.sectors[s].floor = "FLAT" + std::to_string(s % 40);
  for (int i = 0; i < teeth; ++i) {
    const int side = static_cast<int>(layout.sides.size());
    layout.lines.push_back({2 * i, 2 * i + 1, side, side + 1, i % 7 == 0 ? 1 : 0, 0, 4});
    for (int k = 0; k < 2; ++k) {
      TestMapLayout::Side s;
      s.upper = "WALL" + std::to_string((i + k) % 50);
      s.lower = "WALL" + std::to_string((i + 3 * k) % 50);
      s.middle = "-";
      s.sector = (i + k) % 64;
      layout.sides.push_back(s);
    }
  }
  layout.things = {{8, 64, 0, 1, 7}};
  for (int i = 0; i < teeth / 20; ++i) layout.things.push_back({i * 320, 64, 0, 3001, 7});
  return layout;
}

std::vector<TestLump> MapWithNodes(const std::string& marker, const TestMapLayout& layout) {
  std::vector<TestLump> lumps = test::BinaryMap(marker, layout);
  for (TestLump& lump : lumps) {
    if (lump.name == "SSECTORS") lump.data = std::string(4, '\0');
  }
  return lumps;
}

std::string MapName(int n) {
  return (n < 10 ? "MAP0" : "MAP") + std::to_string(n);
}

// 32 maps of 1 500 lines each, a UMAPINFO naming them, and sounds and graphics between them up
// to 100 MB, as a megawad holds them.
std::string Megawad() {
  std::vector<TestLump> lumps;
  std::string umapinfo;
  for (int n = 1; n <= 32; ++n) {
    const auto map = MapWithNodes(MapName(n), Comb(1500));
    lumps.insert(lumps.end(), map.begin(), map.end());
    umapinfo += "map " + MapName(n) + " { levelname = \"Level " + std::to_string(n) + "\" }\n";
  }
  lumps.push_back({"UMAPINFO", umapinfo});
  std::size_t size = 0;
  for (const TestLump& lump : lumps) size += lump.data.size();
  for (int n = 0; size < 100'000'000; ++n) {
    lumps.push_back({"DSSND" + std::to_string(n), std::string(1'000'000, static_cast<char>(n))});
    size += 1'000'000;
  }
  return test::MakeWad("PWAD", lumps);
}

// The file, written and synced once, its pages dropped from the cache on request.
struct BenchFile {
  test::ScratchFolder folder;
  std::string path;
  std::uint64_t size = 0;

  explicit BenchFile(const std::string& bytes) : path(folder.File("bench.wad")) {
    test::WriteBytes(path, bytes);
    size = bytes.size();
    const int fd = ::open(path.c_str(), O_RDONLY);
    ::fsync(fd);
    ::close(fd);
  }
  // Clean pages go at once: the next read comes from the disk (or the host's cache, on a
  // virtual machine).
  void DropCache() const {
    const int fd = ::open(path.c_str(), O_RDONLY);
    ::posix_fadvise(fd, 0, 0, POSIX_FADV_DONTNEED);
    ::close(fd);
  }
};

const BenchFile& MegawadFile() {
  static const BenchFile file(Megawad());
  return file;
}
const BenchFile& BigMapFile() {
  static const BenchFile file(test::MakeWad("PWAD", MapWithNodes("MAP01", Comb(50'000))));
  return file;
}
const BenchFile& FileOf(int which) {
  return which == 0 ? MegawadFile() : BigMapFile();
}

// The peak resident set, in MiB, of quillon-check analysing and judging `path` in a process of
// its own, as GNU time reports it. A child of this process would not do: the peak it reports
// includes what it inherited from its parent before its exec (Linux keeps the larger).
double CheckPeakMiB(const std::string& path) {
  static const test::ScratchFolder folder;
  const std::string report = folder.File("maxrss");
  const std::string command = "/usr/bin/time -f %M -o '" + report + "' " + QUILLON_CHECK +
                              " --port dsda-doom '" + path + "' > /dev/null";
  if (!std::filesystem::exists("/usr/bin/time") || std::system(command.c_str()) != 0) return -1;
  std::ifstream in(report);
  double kib = -1;
  in >> kib;
  return kib / 1024.0;
}

// The same for a PWAD of no lumps: the process's own memory.
double CheckBaselineMiB() {
  static const BenchFile empty(test::MakeWad("PWAD", {}));
  return CheckPeakMiB(empty.path);
}

// Arg: 0 the megawad, 1 the map of 100 000 sidedefs.
void BM_AnalysisCold(benchmark::State& state) {
  const BenchFile& file = FileOf(static_cast<int>(state.range(0)));
  wad::WadNeeds needs;
  for (auto _ : state) {
    state.PauseTiming();
    file.DropCache();
    state.ResumeTiming();
    needs = wad::AnalyzeWadFile(file.path);
  }
  if (!needs.Ok() || needs.maps.empty()) return state.SkipWithError("not analysed");
  state.counters["maps"] = static_cast<double>(needs.maps.size());
  state.counters["sidedefs"] = static_cast<double>(needs.maps[0].sidedefs);
  state.counters["file_MB"] = static_cast<double>(file.size) / 1e6;
  file.DropCache();
  state.counters["check_peak_MiB"] = CheckPeakMiB(file.path);
  state.counters["check_empty_MiB"] = CheckBaselineMiB();
}
BENCHMARK(BM_AnalysisCold)->Arg(0)->Arg(1)->ArgName("bigmap")->Unit(benchmark::kMillisecond);

// Baseline: the whole file read once into memory, from the disk.
void BM_WholeFileCold(benchmark::State& state) {
  const BenchFile& file = FileOf(static_cast<int>(state.range(0)));
  for (auto _ : state) {
    state.PauseTiming();
    file.DropCache();
    state.ResumeTiming();
    benchmark::DoNotOptimize(ReadWholeFile(file.path).size());
  }
}
BENCHMARK(BM_WholeFileCold)->Arg(0)->Arg(1)->ArgName("bigmap")->Unit(benchmark::kMillisecond);

// Asks `analyses` for a file it does not hold as current and runs the events until the
// answer has arrived.
void AskAndWait(WadAnalyses& analyses, const std::string& path) {
  QEventLoop loop;
  QObject::connect(&analyses, &WadAnalyses::Analysed, &loop, &QEventLoop::quit);
  analyses.Find(path);
  loop.exec();
}

// The window's cache: asked again after a recheck, the unchanged file costs a stat on the
// analyses' thread and the round trip of the answer.
void BM_AnalysisCachedInTheWindow(benchmark::State& state) {
  const BenchFile& file = FileOf(static_cast<int>(state.range(0)));
  WadAnalyses analyses(nullptr);
  AskAndWait(analyses, file.path);
  for (auto _ : state) {
    analyses.Recheck();
    AskAndWait(analyses, file.path);
  }
  // One read in all: every later answer is the kept result, shared, not a copy.
  state.counters["files_read"] = static_cast<double>(analyses.FilesRead());
}
BENCHMARK(BM_AnalysisCachedInTheWindow)
    ->Arg(0)
    ->Arg(1)
    ->ArgName("bigmap")
    ->Unit(benchmark::kMillisecond);

// quillon-check as a CI runs it: Arg 50 checks fifty PWADs of a few maps each, over the
// Freedoom IWAD when there is one; Arg 0 is the baseline, the same executable showing its
// usage (the process's own start and end).
void BM_QuillonCheckFiles(benchmark::State& state) {
  static const test::ScratchFolder folder;
  static const std::string files = [] {
    std::string list;
    for (int n = 0; n < 50; ++n) {
      std::vector<TestLump> lumps;
      for (int map = 1; map <= 1 + n % 8; ++map) {
        const auto doom = MapWithNodes(MapName(map + n % 20), Comb(300 + 20 * n));
        lumps.insert(lumps.end(), doom.begin(), doom.end());
      }
      const std::string path = folder.File("pwad" + std::to_string(n) + ".wad");
      test::WriteBytes(path, test::MakeWad("PWAD", lumps));
      list += " '" + path + "'";
    }
    return list;
  }();
  const std::string iwad = "/usr/share/games/doom/freedoom2.wad";
  const std::string command =
      std::string(QUILLON_CHECK) +
      (state.range(0) == 0
           ? " --help"
           : (std::filesystem::exists(iwad) ? " --iwad " + iwad : "") + " --json" + files) +
      " > /dev/null";
  for (auto _ : state) {
    if (std::system(command.c_str()) != 0) return state.SkipWithError(command.c_str());
  }
}
BENCHMARK(BM_QuillonCheckFiles)->Arg(0)->Arg(50)->ArgName("files")->Unit(benchmark::kMillisecond);

// The window's thread while WadAnalyses reads the megawad (its pages dropped first): the
// longest stretch between two ticks of a 1 ms timer, from the question to the answer. Arg 0
// is the baseline: the same probe over an idle 300 ms.
void BM_WindowLongestBusyWhileAnalysing(benchmark::State& state) {
  const BenchFile& file = MegawadFile();
  double longest = 0;
  for (auto _ : state) {
    state.PauseTiming();
    file.DropCache();
    state.ResumeTiming();
    WadAnalyses analyses(nullptr);
    QEventLoop loop;
    QTimer probe;
    probe.setTimerType(Qt::PreciseTimer);
    probe.setInterval(1);
    QElapsedTimer clock;
    qint64 last = 0;
    QObject::connect(&probe, &QTimer::timeout, &loop, [&] {
      const qint64 now = clock.nsecsElapsed();
      longest = std::max(longest, (now - last) / 1e6);
      last = now;
    });
    QObject::connect(&analyses, &WadAnalyses::Analysed, &loop, [&] {
      if (analyses.Find(file.path)) loop.quit();
    });
    clock.start();
    probe.start();
    if (state.range(0) == 0) {
      QTimer::singleShot(300, &loop, &QEventLoop::quit);
    } else if (analyses.Find(file.path)) {
      continue;
    }
    loop.exec();
  }
  state.counters["longest_gap_ms"] = longest;
}
BENCHMARK(BM_WindowLongestBusyWhileAnalysing)
    ->Arg(0)
    ->Arg(1)
    ->ArgName("analysing")
    ->Iterations(5)
    ->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace quillon::bench
