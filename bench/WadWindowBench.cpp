// Choosing an IWAD or toggling "Enable" with 100 custom files: the longest time the window's
// thread is busy at once, from the click until the completions and tooltips have arrived,
// beside reading the same files on the window's thread (the baseline: what waiting on the
// disk would cost).

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTemporaryDir>
#include <QTimer>
#include <filesystem>

#include "BenchSupport.h"
#include "core/settings/IniCache.h"
#include "core/settings/ReadWrite.h"
#include "core/wad/MapMerge.h"
#include "core/wad/WadDescription.h"
#include "support/WadWriter.h"
#include "ui/main/WadFacts.h"
#include "ui/main/frmQLN2.h"

namespace quillon::bench {
namespace {

const std::string kFreedoom2 = "/usr/share/games/doom/freedoom2.wad";

// 100 PWADs of a few maps and a few hundred lumps each, listed and enabled; two IWAD entries.
struct HundredFiles {
  test::ScratchFolder folder;
  QTemporaryDir programDir;
  std::vector<std::string> paths;

  HundredFiles() {
    for (int n = 0; n < 100; ++n) {
      std::vector<test::TestLump> lumps;
      for (int map = 1; map <= 1 + n % 8; ++map) {
        const int number = map + n % 20;
        auto doom = test::DoomMap((number < 10 ? "MAP0" : "MAP") + std::to_string(number));
        lumps.insert(lumps.end(), doom.begin(), doom.end());
      }
      for (int lump = 0; lump < 300; ++lump) lumps.push_back({"TEX" + std::to_string(lump), "x"});
      paths.push_back(folder.File("pwad" + std::to_string(n) + ".wad"));
      test::WriteBytes(paths.back(), test::MakeWad("PWAD", lumps));
    }
    const std::string second = folder.File("second.wad");
    test::WriteBytes(second, test::MakeWad("IWAD", test::DoomMap("MAP01")));
    ReadWrite ini;
    ini.SetFileName(programDir.filePath(QStringLiteral("QLN2.ini")).toStdString());
    ini.Create(DefaultIniLines());
    ini.Save("IWADs", "NumIWADs", "2");
    ini.Save("IWADs", "IWAD1Name", "Freedoom 2");
    ini.Save("IWADs", "IWAD1File", kFreedoom2);
    ini.Save("IWADs", "IWAD2Name", "Second");
    ini.Save("IWADs", "IWAD2File", second);
    ini.Save("Files", "NumFiles", "100");
    for (int n = 1; n <= 100; ++n) {
      ini.Save("Files", "File" + std::to_string(n) + "Name",
               "pwad" + std::to_string(n - 1) + ".wad");
      ini.Save("Files", "File" + std::to_string(n) + "Path",
               paths[static_cast<std::size_t>(n - 1)]);
    }
    ini.Save("Memory", "IWAD", "1");
    ini.Save("Memory", "UseFiles", "1");
  }
};

// The longest stretch the event loop could not get round to a zero-time timer, from `act`
// until the maps have arrived: the longest the window stays unresponsive.
double LongestSliceMs(frmQLN2& window, const std::function<void()>& act) {
  auto* facts = window.findChild<WadFacts*>();
  QEventLoop loop;
  QElapsedTimer since;
  qint64 longest = 0;
  QTimer tick;
  tick.setInterval(0);
  QObject::connect(&tick, &QTimer::timeout, [&] {
    longest = std::max(longest, since.nsecsElapsed());
    since.start();
  });
  QObject::connect(facts, &WadFacts::MapsFound, &loop, &QEventLoop::quit);
  QTimer::singleShot(0, &loop, [&] {
    since.start();
    act();
  });
  tick.start();
  loop.exec();
  longest = std::max(longest, since.nsecsElapsed());
  QObject::disconnect(facts, &WadFacts::MapsFound, &loop, &QEventLoop::quit);
  return static_cast<double>(longest) / 1e6;
}

// Arg 0: toggling "Enable"; 1: choosing the other IWAD. Time is the whole round trip;
// `longest_slice_ms` is what the user can feel.
void BM_WindowWadRoundTrip100Files(benchmark::State& state) {
  if (!std::filesystem::exists(kFreedoom2)) return state.SkipWithError("freedoom2.wad missing");
  HundredFiles files;
  IniCache::SetFlushRequester([] {});
  QuietDesktop desktop;
  auto window = std::make_unique<frmQLN2>(desktop, files.programDir.path());
  window->show();
  auto* enable = window->findChild<QCheckBox*>(QStringLiteral("chkEnableFiles"));
  auto* iwads = window->findChild<QComboBox*>(QStringLiteral("cmbIWADs"));
  const bool toggle = state.range(0) == 0;
  double worst = 0;
  double total = 0;
  int flip = 0;
  for (auto _ : state) {
    const double longest = LongestSliceMs(*window, [&] {
      if (toggle) {
        enable->click();
      } else {
        iwads->setCurrentIndex(++flip % 2);
      }
    });
    worst = std::max(worst, longest);
    total += longest;
  }
  // On a shared machine the worst case also holds the scheduler's pauses.
  state.counters["longest_slice_ms"] = total / static_cast<double>(state.iterations());
  state.counters["worst_slice_ms"] = worst;
  state.SetLabel(toggle ? "toggle Enable" : "choose IWAD");
  window->close();
  window.reset();
  IniCache::FlushAll();
  IniCache::SetFlushRequester(nullptr);
}
BENCHMARK(BM_WindowWadRoundTrip100Files)
    ->Arg(0)
    ->Arg(1)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

// Baseline: the same reading done on the window's thread, every directory read afresh
// (the first selection) — what the user would wait for without the reading thread.
void BM_WadReadOnWindowThread100Files(benchmark::State& state) {
  if (!std::filesystem::exists(kFreedoom2)) return state.SkipWithError("freedoom2.wad missing");
  HundredFiles files;
  std::vector<std::string> paths = files.paths;
  paths.insert(paths.begin(), kFreedoom2);
  for (auto _ : state) {
    wad::WadCache cold;
    benchmark::DoNotOptimize(wad::CollectMaps(paths, cold));
    for (const std::string& path : files.paths) {
      benchmark::DoNotOptimize(wad::DescribeFile(path, *cold.Read(path)));
    }
  }
}
BENCHMARK(BM_WadReadOnWindowThread100Files)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
}  // namespace quillon::bench
