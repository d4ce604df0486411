// From a click on Test to the started port running.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QAbstractEventDispatcher>
#include <QAction>
#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <algorithm>
#include <map>

#include "BenchSupport.h"
#include "core/settings/IniCache.h"
#include "ui/launch/PortLauncher.h"
#include "ui/launch/frmPortStopped.h"
#include "ui/main/frmQLN2.h"
#include "ui/system/QtDesktop.h"

extern char** environ;

namespace quillon {
namespace {

// The baseline for the click: the same script started by a bare posix_spawn, no window, no
// log, no watch, reaped at once.
void BM_BareSpawnToPortRunning(benchmark::State& state) {
  QTemporaryDir dir;
  const QString fifo = dir.filePath(QStringLiteral("started"));
  mkfifo(fifo.toLocal8Bit().constData(), 0600);
  const QByteArray port = dir.filePath(QStringLiteral("port")).toLocal8Bit();
  {
    QFile script(QString::fromLocal8Bit(port));
    script.open(QIODevice::WriteOnly);
    script.write("#!/bin/sh\nprintf x > \"$(dirname \"$0\")/started\"\n");
    script.setPermissions(script.permissions() | QFileDevice::ExeOwner);
  }
  const int reader = open(fifo.toLocal8Bit().constData(), O_RDWR | O_NONBLOCK);
  char* argv[] = {const_cast<char*>(port.constData()), nullptr};
  for (auto _ : state) {
    pid_t pid = 0;
    if (posix_spawn(&pid, port.constData(), nullptr, nullptr, argv, environ) != 0) {
      state.SkipWithError("spawn failed");
      break;
    }
    pollfd wait{reader, POLLIN, 0};
    char byte;
    if (poll(&wait, 1, 5000) != 1 || read(reader, &byte, 1) != 1) {
      state.SkipWithError("the port did not start");
      break;
    }
    state.PauseTiming();
    waitpid(pid, nullptr, 0);
    state.ResumeTiming();
  }
  close(reader);
}
BENCHMARK(BM_BareSpawnToPortRunning)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(2.0);

void BM_ClickToPortRunning(benchmark::State& state) {
  QTemporaryDir dir;
  const QString fifo = dir.filePath(QStringLiteral("started"));
  mkfifo(fifo.toLocal8Bit().constData(), 0600);
  // The stand-in port announces itself as soon as it runs.
  const QString port = dir.filePath(QStringLiteral("port"));
  {
    QFile script(port);
    script.open(QIODevice::WriteOnly);
    script.write("#!/bin/sh\nprintf x > \"$(dirname \"$0\")/started\"\n");
    script.setPermissions(script.permissions() | QFileDevice::ExeOwner);
  }
  {
    QFile ini(dir.filePath(QStringLiteral("QLN2.ini")));
    ini.open(QIODevice::WriteOnly);
    ini.write("[Ports]\r\nNumPorts=1\r\nPort1Name=Port\r\nPort1Path=" + port.toUtf8() +
              "\r\n\r\n[IWADs]\r\nNumIWADs=0\r\n\r\n[Programs]\r\nNumProgs=0\r\n\r\n"
              "[Files]\r\nNumFiles=0\r\n\r\n[Memory]\r\nPort=1\r\nIWAD=0\r\nProg=0\r\n"
              "UseFiles=0\r\nWarp=1\r\nWarpTo=1\r\nNoMonsters=0\r\nNoMusic=0\r\nNoSound=0\r\n"
              "NoCD=0\r\nOpenGL=0\r\n\r\n");
  }
  // Read-write, so the pipe always has a writer: poll then waits for the port's byte
  // instead of reporting the last port's hang-up.
  const int reader = open(fifo.toLocal8Bit().constData(), O_RDWR | O_NONBLOCK);
  QtDesktop desktop;
  frmQLN2 window(desktop, dir.path());
  auto* test = window.findChild<QPushButton*>(QStringLiteral("cmdTest"));
  for (auto _ : state) {
    test->click();
    pollfd wait{reader, POLLIN, 0};
    char byte;
    if (poll(&wait, 1, 5000) != 1 || read(reader, &byte, 1) != 1) {
      state.SkipWithError("the port did not start");
      break;
    }
  }
  close(reader);
  window.close();
  IniCache::FlushAll();
}
BENCHMARK(BM_ClickToPortRunning)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(2.0);

// Starts really happen; the "Test in Several Ports" dialog is answered by clicking its Test.
class StartingDesktop : public bench::QuietDesktop {
 public:
  LaunchResult Launch(QWidget* owner, const LaunchRequest& request) override {
    return launcher.Start(owner, request);
  }
  PortLauncher launcher;
};

// From the menu item to all `range(0)` checked ports running (each has written its byte):
// the dialog opened, its Test clicked, every port started watched with its log. Beside
// BM_ClickToPortRunning (one Test) in the same run.
void BM_SeveralPortsToAllRunning(benchmark::State& state) {
  const int ports = static_cast<int>(state.range(0));
  QTemporaryDir dir;
  const QString fifo = dir.filePath(QStringLiteral("started"));
  mkfifo(fifo.toLocal8Bit().constData(), 0600);
  QByteArray list = "[Ports]\r\nNumPorts=" + QByteArray::number(ports) + "\r\n";
  QByteArray checked;
  for (int n = 1; n <= ports; ++n) {
    // Each in a folder of its own, as ports are installed.
    const QString folder = dir.filePath(QStringLiteral("port%1").arg(n));
    QDir().mkpath(folder);
    const QString port = folder + QStringLiteral("/port");
    QFile script(port);
    script.open(QIODevice::WriteOnly);
    script.write("#!/bin/sh\nprintf x > '" + fifo.toUtf8() + "'\n");
    script.setPermissions(script.permissions() | QFileDevice::ExeOwner);
    list += "Port" + QByteArray::number(n) + "Name=Port " + QByteArray::number(n) + "\r\nPort" +
            QByteArray::number(n) + "Path=" + port.toUtf8() + "\r\n";
    checked += (n > 1 ? "," : "") + QByteArray::number(n);
  }
  bench::WriteFile(dir.filePath(QStringLiteral("QLN2.ini")),
                   list +
                       "\r\n[IWADs]\r\nNumIWADs=0\r\n\r\n[Programs]\r\nNumProgs=0\r\n\r\n"
                       "[Files]\r\nNumFiles=0\r\n\r\n[Memory]\r\nPort=1\r\nIWAD=0\r\nProg=0\r\n"
                       "UseFiles=0\r\nWarp=1\r\nWarpTo=1\r\nTestPorts=" +
                       checked + "\r\n\r\n");
  const int reader = open(fifo.toLocal8Bit().constData(), O_RDWR | O_NONBLOCK);
  StartingDesktop desktop;
  desktop.modalScript = [](QDialog* dialog) {
    dialog->findChild<QPushButton*>(QStringLiteral("cmdTest"))->click();
  };
  frmQLN2 window(desktop, dir.path());
  auto* item = window.findChild<QAction*>(QStringLiteral("ProgramTestSeveral"));
  for (auto _ : state) {
    item->trigger();
    int running = 0;
    while (running < ports) {
      pollfd wait{reader, POLLIN, 0};
      char bytes[16];
      if (poll(&wait, 1, 5000) != 1) break;
      const ssize_t got = read(reader, bytes, std::min<ssize_t>(sizeof bytes, ports - running));
      if (got > 0) running += static_cast<int>(got);
    }
    if (running < ports) {
      state.SkipWithError("not every port started");
      break;
    }
    state.PauseTiming();
    // The ended ports reaped, as the event loop would between two clicks.
    while (desktop.launcher.Running() > 0) {
      QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 100);
    }
    state.ResumeTiming();
  }
  close(reader);
  window.close();
  IniCache::FlushAll();
}
BENCHMARK(BM_SeveralPortsToAllRunning)
    ->Arg(1)
    ->Arg(8)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->MinTime(2.0);

// What the GUI thread does when a watched port fails: the "stopped" notice reads the log's
// tail and is made. `range(0)` bytes of output on one line (the worst case for finding the
// last lines), then the port's message; the ratio to the 1 KB log of the same run.
void BM_NoticeWhenPortStops(benchmark::State& state) {
  static std::map<long long, double> seconds;
  const auto bytes = static_cast<long long>(state.range(0));
  QTemporaryDir dir;
  const QString log = dir.filePath(QStringLiteral("port.log"));
  {
    QFile file(log);
    file.open(QIODevice::WriteOnly);
    const QByteArray header = "$ cd /ports && ./port -iwad doom2.wad\n\n";
    file.write(header);
    const QByteArray chunk(1 << 20, 'x');
    for (long long left = bytes; left > 0; left -= chunk.size()) {
      file.write(chunk.constData(), std::min<long long>(left, chunk.size()));
    }
    file.write("\nW_GetNumForName: MAP99 not found!\n");
  }
  PortEnd end;
  end.title = QStringLiteral("Port");
  end.logPath = log;
  end.logStart = 40;
  end.watched = true;
  end.code = 255;
  end.ranMs = 1234;
  bench::QuietDesktop desktop;
  QElapsedTimer clock;
  clock.start();
  for (auto _ : state) {
    frmPortStopped notice(end, desktop, nullptr);
    benchmark::DoNotOptimize(&notice);
  }
  const double each =
      static_cast<double>(clock.nsecsElapsed()) * 1e-9 / static_cast<double>(state.iterations());
  seconds[bytes] = each;
  if (seconds.count(1024) != 0 && bytes != 1024) {
    state.counters["ratio_to_1KB"] = each / seconds[1024];
  }
}
BENCHMARK(BM_NoticeWhenPortStops)
    ->Arg(1024)
    ->Arg(8 << 20)
    ->Arg(100 << 20)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

int Threads() {
  return static_cast<int>(QDir(QStringLiteral("/proc/self/task")).count()) - 2;
}

// The idle cost of watching: event-loop wake-ups per second and threads, with no port and
// with `range(0)` watched ports running (each blocked on a FIFO until the end).
void BM_IdleWhileWatching(benchmark::State& state) {
  QTemporaryDir dir;
  const QString fifo = dir.filePath(QStringLiteral("hold"));
  mkfifo(fifo.toLocal8Bit().constData(), 0600);
  const int holder = open(fifo.toLocal8Bit().constData(), O_RDWR | O_NONBLOCK);
  const QString port = dir.filePath(QStringLiteral("port"));
  {
    QFile script(port);
    script.open(QIODevice::WriteOnly);
    script.write("#!/bin/sh\nread x < \"$(dirname \"$0\")/hold\"\n");
    script.setPermissions(script.permissions() | QFileDevice::ExeOwner);
  }
  QtDesktop desktop;
  const int threadsBefore = Threads();
  for (int i = 0; i < state.range(0); ++i) {
    LaunchRequest request;
    request.File = port.toStdString();
    request.LogDirectory = dir.filePath(QStringLiteral("logs")).toStdString();
    desktop.Launch(nullptr, request);
  }
  QCoreApplication::processEvents();
  int wakeups = 0;
  auto* dispatcher = QAbstractEventDispatcher::instance();
  const auto connection =
      QObject::connect(dispatcher, &QAbstractEventDispatcher::awake, [&wakeups] { ++wakeups; });
  QElapsedTimer clock;
  clock.start();
  for (auto _ : state) {
    QEventLoop loop;
    QTimer::singleShot(1000, &loop, &QEventLoop::quit);
    loop.exec();
  }
  QObject::disconnect(connection);
  // The single-shot timer that ends each second accounts for one wake-up of its own.
  state.counters["wakeups_per_s"] =
      benchmark::Counter(wakeups * 1000.0 / static_cast<double>(clock.elapsed()));
  state.counters["threads_added"] = Threads() - threadsBefore;
  state.counters["running"] = desktop.Launcher().Running();
  for (int i = 0; i < state.range(0); ++i) {
    if (write(holder, "x\n", 2) != 2) break;
  }
  QElapsedTimer wait;
  wait.start();
  while (desktop.Launcher().Running() > 0 && wait.elapsed() < 5000) {
    QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 100);
  }
  close(holder);
}
BENCHMARK(BM_IdleWhileWatching)
    ->Arg(0)
    ->Arg(1)
    ->Arg(8)
    ->Iterations(3)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

}  // namespace
}  // namespace quillon
