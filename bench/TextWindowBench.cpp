// A document shown in our own text window, from the click to the window up and idle.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QTemporaryDir>
#include <QWidget>

#include "BenchSupport.h"
#include "ui/desktop/frmTextWindow.h"

namespace quillon::bench {
namespace {

// range(0): the file's size in KB; range(1): bytes a line (0: one line without an end).
void BM_TextWindowOpen(benchmark::State& state) {
  QTemporaryDir dir;
  const QString path = dir.filePath(QStringLiteral("port.log"));
  const qsizetype size = state.range(0) * 1024;
  const qsizetype lineBytes = state.range(1);
  QByteArray bytes;
  bytes.reserve(size + 100);
  while (bytes.size() < size) {
    if (lineBytes == 0) {
      bytes += "tic ";
      continue;
    }
    QByteArray line = "P_Ticker: tic " + QByteArray::number(bytes.size()) + ' ';
    line += QByteArray(std::max<qsizetype>(0, lineBytes - line.size() - 1), 'x') + '\n';
    bytes += line;
  }
  WriteFile(path, bytes);
  QuietDesktop desktop;
  QWidget owner;
  for (auto _ : state) {
    ShowDocument(desktop, &owner, path, TextPart::End);
    QApplication::processEvents();
    state.PauseTiming();
    for (QWidget* shown : owner.findChildren<frmTextWindow*>()) delete shown;
    state.ResumeTiming();
  }
  state.SetLabel(lineBytes == 0 ? "KB, one line" : "KB, bytes a line");
}
BENCHMARK(BM_TextWindowOpen)
    ->Args({64, 40})
    ->Args({2048, 40})
    ->Args({10240, 40})
    ->Args({10240, 120})
    ->Args({10240, 0})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

}  // namespace
}  // namespace quillon::bench
