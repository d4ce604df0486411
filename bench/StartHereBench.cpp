// The Start Here view at the size of the largest maps: reading a map of 100 000 lines and
// sorting it for drawing (what the loader thread does), beside one read of the whole file;
// and one whole frame of the view, beside a frame of the same view with nothing loaded.

#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <QImage>
#include <QWheelEvent>

#include "BenchSupport.h"
#include "core/wad/MapData.h"
#include "support/WadWriter.h"
#include "ui/starthere/MapView.h"

namespace {

using namespace quillon;

// 224 × 224 vertices: 99 904 lines.
struct BigMap {
  test::ScratchFolder folder;
  std::string path = folder.File("big.wad");
  std::size_t lines = 0;
  BigMap() {
    const test::TestMapLayout layout = bench::Grid(224);
    lines = layout.lines.size();
    test::WriteBytes(path, test::MakeWad("PWAD", test::BinaryMap("MAP01", layout)));
  }
};

const BigMap& Big() {
  static const BigMap map;
  return map;
}

void BM_StartHereReadWholeFile(benchmark::State& state) {
  const std::string& path = Big().path;
  for (auto _ : state) {
    const std::string bytes = bench::ReadWholeFile(path);
    benchmark::DoNotOptimize(bytes.data());
  }
}
BENCHMARK(BM_StartHereReadWholeFile)->Unit(benchmark::kMillisecond);

// What the loader thread does between the choice of a map and the picture being ready.
void BM_StartHereLoad(benchmark::State& state) {
  for (auto _ : state) {
    wad::MapReadResult read = wad::ReadMapFile(Big().path, "MAP01");
    if (!read.ok) return state.SkipWithError(read.error.c_str());
    MapPicture picture = MakeMapPicture(std::make_shared<const wad::MapData>(std::move(read.map)));
    benchmark::DoNotOptimize(picture.oneSided.size());
  }
  state.counters["lines"] = static_cast<double>(Big().lines);
}
BENCHMARK(BM_StartHereLoad)->Unit(benchmark::kMillisecond);

// One frame of a 1024 × 768 view: 0 is the view with nothing loaded (the baseline), 1 the
// whole map fitted to the view, 2 zoomed in eight times on its middle.
void BM_StartHereFrame(benchmark::State& state) {
  MapView view;
  view.resize(1024, 768);
  if (state.range(0) > 0) {
    wad::MapReadResult read = wad::ReadMapFile(Big().path, "MAP01");
    if (!read.ok) return state.SkipWithError(read.error.c_str());
    view.SetPicture(MakeMapPicture(std::make_shared<const wad::MapData>(std::move(read.map))));
    view.SetMarker(wad::StartSpot{7000, 7000, 45});
  }
  view.Fit();
  if (state.range(0) == 2) {
    // Eight notches of the wheel in, about the middle.
    for (int notch = 0; notch < 8; ++notch) {
      QWheelEvent wheel(QPointF(512, 384), QPointF(512, 384), QPoint(), QPoint(0, 120),
                        Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
      QCoreApplication::sendEvent(&view, &wheel);
    }
  }
  QImage frame(view.size(), QImage::Format_ARGB32_Premultiplied);
  for (auto _ : state) {
    view.render(&frame);
    benchmark::DoNotOptimize(frame.constBits());
  }
  state.counters["scale"] = view.Scale();
}
BENCHMARK(BM_StartHereFrame)->Arg(0)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond);

}  // namespace
