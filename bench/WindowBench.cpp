// Start-up of the main window on configurations of growing size, in this process.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QTemporaryDir>

#include "BenchSupport.h"
#include "core/settings/IniCache.h"
#include "ui/main/frmQLN2.h"

namespace quillon::bench {
namespace {

// From nothing to the window shown and idle; closing it is left out of the figure.
void BM_WindowStartup(benchmark::State& state) {
  QTemporaryDir dir;
  WriteFile(dir.filePath(QStringLiteral("QLN2.ini")),
            Configuration(static_cast<int>(state.range(0))));
  IniCache::SetFlushRequester([] {});
  QuietDesktop desktop;
  for (auto _ : state) {
    auto window = std::make_unique<frmQLN2>(desktop, dir.path());
    window->show();
    QApplication::processEvents();
    state.PauseTiming();
    window->close();
    window.reset();
    IniCache::FlushAll();
    state.ResumeTiming();
  }
  IniCache::SetFlushRequester(nullptr);
  state.SetLabel(state.range(0) < 0 ? "default file" : "entries per list");
}
BENCHMARK(BM_WindowStartup)
    ->Arg(-1)
    ->Arg(16383)
    ->Arg(32766)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->MinTime(2.0);

}  // namespace
}  // namespace quillon::bench
