// Quillon at the largest lists it allows, each figure beside a baseline measured in the
// same run: an empty Qt window for start-up and memory, and a naive INI engine that reads
// and rewrites the whole file on every call for the list operations.
#include <benchmark/benchmark.h>

#include <QAbstractItemView>
#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QPushButton>
#include <QTemporaryDir>
#include <fstream>
#include <sstream>

#include "BenchSupport.h"
#include "core/settings/ConfigLayout.h"
#include "core/settings/IniCache.h"
#include "ui/launch/frmTestPorts.h"
#include "ui/main/frmQLN2.h"

namespace quillon::bench {
namespace {

// ---- Start-up and memory, as separate processes ----------------------------------------

// 0: an empty Qt main window; 1: Quillon on the default file; 2: Quillon on four lists of
// 32 766 entries; 3: a Qt main window with a menu and a label.
void BM_ProcessStartup(benchmark::State& state) {
  const int which = static_cast<int>(state.range(0));
  QTemporaryDir dir;
  WriteFile(dir.filePath(QStringLiteral("QLN2.ini")), Configuration(which == 2 ? 32766 : -1));
  const QString probe = QCoreApplication::applicationDirPath() + QStringLiteral("/quillon_probe");
  const char* modes[] = {"bare", "quillon", "quillon", "label"};
  const QStringList args{QString::fromLatin1(modes[which]), dir.path()};
  double kib = 0;
  for (auto _ : state) {
    QProcess process;
    QElapsedTimer clock;
    clock.start();
    process.start(probe, args);
    if (!process.waitForReadyRead(30000)) {
      state.SkipWithError("the probe did not report");
      break;
    }
    state.SetIterationTime(static_cast<double>(clock.nsecsElapsed()) / 1e9);
    kib = process.readAll().trimmed().toDouble();
    process.waitForFinished(30000);
  }
  state.counters["RSS_MiB"] = kib / 1024.0;
  const char* labels[] = {"bare Qt window (baseline)", "Quillon, default file",
                          "Quillon, 4 x 32766 entries", "Qt window with a menu and a label"};
  state.SetLabel(labels[which]);
}
BENCHMARK(BM_ProcessStartup)
    ->DenseRange(0, 3)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(20);

// ---- Removing the first of 32 766 ports through the real setup dialog ------------------

void BM_SetupRemoveFirstPort(benchmark::State& state) {
  const int entries = static_cast<int>(state.range(0));
  QTemporaryDir dir;
  const QString ini = dir.filePath(QStringLiteral("QLN2.ini"));
  IniCache::SetFlushRequester([] {});
  QuietDesktop desktop;
  for (auto _ : state) {
    state.PauseTiming();
    WriteFile(ini, Configuration(entries));
    frmQLN2 window(desktop, dir.path());
    desktop.modalScript = [&](QDialog* setup) {
      auto* list = setup->findChild<QComboBox*>(QStringLiteral("cmbPorts"));
      auto* remove = setup->findChild<QPushButton*>(QStringLiteral("cmdRemove"));
      list->setCurrentIndex(0);
      state.ResumeTiming();
      remove->click();  // the question is answered Yes
      IniCache::FlushAll();
      state.PauseTiming();
      setup->reject();
    };
    window.findChild<QPushButton*>(QStringLiteral("cmdPorts"))->click();
    desktop.modalScript = nullptr;
    window.close();
    IniCache::FlushAll();
    state.ResumeTiming();
  }
  IniCache::SetFlushRequester(nullptr);
}
BENCHMARK(BM_SetupRemoveFirstPort)
    ->Arg(16383)
    ->Arg(32766)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(5);

// ---- The port lists, each port's family beside its name ------------------------------

// From the click that opens the port setup dialog's list to its rows painted (and shut
// again), with 32 766 ports; the IWAD setup list, which shows no family, beside it.
void BM_SetupListPopup(benchmark::State& state) {
  const bool ports = state.range(0) == 0;
  QTemporaryDir dir;
  WriteFile(dir.filePath(QStringLiteral("QLN2.ini")), Configuration(32766));
  QuietDesktop desktop;
  frmQLN2 window(desktop, dir.path());
  desktop.modalScript = [&](QDialog* setup) {
    setup->show();
    auto* list = setup->findChild<QComboBox*>();
    list->setCurrentIndex(16000);
    for (auto _ : state) {
      list->showPopup();
      list->view()->repaint();
      list->hidePopup();
      QCoreApplication::processEvents();
    }
    setup->reject();
  };
  window.findChild<QPushButton*>(ports ? QStringLiteral("cmdPorts") : QStringLiteral("cmdIWADs"))
      ->click();
  state.SetLabel(ports ? "ports, the family beside each" : "IWADs (baseline)");
}
BENCHMARK(BM_SetupListPopup)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->UseRealTime();

// Test in Several Ports opened on 32 766 ports, each shown with its family.
void BM_TestPortsOpen(benchmark::State& state) {
  QTemporaryDir dir;
  WriteFile(dir.filePath(QStringLiteral("QLN2.ini")), Configuration(32766));
  IniCache::SetFlushRequester([] {});  // as the program runs: the file checked once an event
  QuietDesktop desktop;
  frmQLN2 window(desktop, dir.path());
  for (auto _ : state) {
    frmTestPorts dialog(window, desktop, dir.path(), &window);
    benchmark::DoNotOptimize(dialog.AllStarted());
    IniCache::FlushAll();
  }
  IniCache::SetFlushRequester(nullptr);
}
BENCHMARK(BM_TestPortsOpen)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(5);

// ---- Loading a scheme of 32 766 custom files -----------------------------------------

QByteArray SchemeWith(const QString& name, int files) {
  QByteArray out = "[" + name.toUtf8() +
                   " - Scheme for Quillon V2.0]\r\nPort=[No Source Port]\r\nIWAD=[Default (no "
                   "-iwad)]\r\nParams=-fast\r\nExitOnTest=0\r\nWarp=1\r\nWarpTo=1\r\n"
                   "NoMonsters=1\r\nNoMusic=0\r\nNoSound=0\r\nNoCD=0\r\nOpenGL=0\r\n"
                   "UseFiles=1\r\nNumFiles=" +
                   QByteArray::number(files) + "\r\n";
  for (int n = 1; n <= files; ++n) {
    const QByteArray number = QByteArray::number(n);
    out += "File" + number + "Name=map" + number + ".wad\r\nFile" + number +
           "Path=/home/mapper/maps/map" + number + ".wad\r\n";
  }
  return out + "\r\n";
}

void BM_SchemeLoad(benchmark::State& state) {
  const int files = static_cast<int>(state.range(0));
  QTemporaryDir dir;
  const QString scheme = dir.filePath(QStringLiteral("big.qls"));
  WriteFile(scheme, SchemeWith(QStringLiteral("big.qls"), files));
  IniCache::SetFlushRequester([] {});
  QuietDesktop desktop;
  desktop.chosenFile = scheme;
  for (auto _ : state) {
    state.PauseTiming();
    WriteFile(dir.filePath(QStringLiteral("QLN2.ini")), Configuration(-1));
    frmQLN2 window(desktop, dir.path());
    auto* load = window.findChild<QAction*>(QStringLiteral("ProgramLoad"));
    state.ResumeTiming();
    load->trigger();
    IniCache::FlushAll();
    state.PauseTiming();
    window.close();
    IniCache::FlushAll();
    state.ResumeTiming();
  }
  IniCache::SetFlushRequester(nullptr);
}
BENCHMARK(BM_SchemeLoad)
    ->Arg(16383)
    ->Arg(32766)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(5);

// ---- The naive engine, for scale ----------------------------------------------------

// Reads the whole file for every value and rewrites it for every change.
class NaiveIni {
 public:
  explicit NaiveIni(std::string path) : path_(std::move(path)) {}

  std::string Load(const std::string& section, const std::string& key) const {
    std::istringstream in(Read());
    std::string line;
    bool inSection = false;
    while (std::getline(in, line)) {
      if (!line.empty() && line.back() == '\r') line.pop_back();
      if (!line.empty() && line[0] == '[') {
        inSection = line == "[" + section + "]";
      } else if (inSection && line.rfind(key + "=", 0) == 0) {
        return line.substr(key.size() + 1);
      }
    }
    return {};
  }

  void Save(const std::string& section, const std::string& key, const std::string& value) {
    std::istringstream in(Read());
    std::string out;
    std::string line;
    bool inSection = false;
    bool done = false;
    while (std::getline(in, line)) {
      if (!line.empty() && line.back() == '\r') line.pop_back();
      if (!line.empty() && line[0] == '[') {
        if (inSection && !done) {
          out += key + "=" + value + "\r\n";
          done = true;
        }
        inSection = line == "[" + section + "]";
      } else if (inSection && !done && line.rfind(key + "=", 0) == 0) {
        line = key + "=" + value;
        done = true;
      }
      out += line + "\r\n";
    }
    if (!done) out += (inSection ? "" : "[" + section + "]\r\n") + key + "=" + value + "\r\n";
    std::ofstream(path_, std::ios::binary | std::ios::trunc) << out;
  }

 private:
  std::string Read() const {
    std::ifstream file(path_, std::ios::binary);
    return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
  }
  std::string path_;
};

// The removal's reads and writes (what the setup dialog does) through the naive engine.
void BM_NaiveRemoveFirstPort(benchmark::State& state) {
  const int entries = static_cast<int>(state.range(0));
  QTemporaryDir dir;
  const QString path = dir.filePath(QStringLiteral("QLN2.ini"));
  const ListKind& ports = KindOf(ListId::Ports);
  const std::string section(ports.section);
  for (auto _ : state) {
    state.PauseTiming();
    WriteFile(path, Configuration(entries));
    NaiveIni ini(path.toStdString());
    state.ResumeTiming();
    ini.Save(section, NameKey(ports, 1), "");
    ini.Save(section, FileKey(ports, 1), "");
    ini.Save(section, std::string(ports.countKey), std::to_string(entries - 1));
    for (int m = 1; m < entries; ++m) {
      ini.Save(section, NameKey(ports, m), ini.Load(section, NameKey(ports, m + 1)));
      ini.Save(section, FileKey(ports, m), ini.Load(section, FileKey(ports, m + 1)));
    }
  }
}
BENCHMARK(BM_NaiveRemoveFirstPort)
    ->Arg(256)
    ->Arg(512)
    ->Arg(1024)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(2);

// The scheme load's reads and writes through the naive engine.
void BM_NaiveSchemeLoad(benchmark::State& state) {
  const int files = static_cast<int>(state.range(0));
  QTemporaryDir dir;
  const QString scheme = dir.filePath(QStringLiteral("big.qls"));
  const QString config = dir.filePath(QStringLiteral("QLN2.ini"));
  WriteFile(scheme, SchemeWith(QStringLiteral("big.qls"), files));
  const std::string section = "big.qls - Scheme for Quillon V2.0";
  const ListKind& kind = KindOf(ListId::Files);
  for (auto _ : state) {
    state.PauseTiming();
    WriteFile(config, Configuration(-1));
    NaiveIni in(scheme.toStdString());
    NaiveIni out(config.toStdString());
    state.ResumeTiming();
    out.Save("Files", "NumFiles", in.Load(section, "NumFiles"));
    for (int n = 1; n <= files; ++n) {
      out.Save("Files", NameKey(kind, n), in.Load(section, NameKey(kind, n)));
      out.Save("Files", FileKey(kind, n), in.Load(section, FileKey(kind, n)));
    }
  }
}
BENCHMARK(BM_NaiveSchemeLoad)
    ->Arg(256)
    ->Arg(512)
    ->Arg(1024)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(2);

}  // namespace
}  // namespace quillon::bench
