// Restart Ports on Save: from the end of a save (the last write of the map) to the port
// started again running, with and without a node build of a 10 000-line map by Debian's
// zdbsp; beside their baselines in the same run: the still moment a save waits for alone,
// and one zdbsp run on the same map, started and reaped.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QPushButton>
#include <QSocketNotifier>
#include <QTemporaryDir>
#include <QTimer>
#include <chrono>
#include <cstdio>
#include <thread>

#include "BenchSupport.h"
#include "core/settings/IniCache.h"
#include "ui/launch/SaveWatcher.h"
#include "ui/main/frmQLN2.h"
#include "ui/system/QtDesktop.h"

extern char** environ;

namespace quillon {
namespace {

constexpr const char* kZdbsp = "/usr/bin/zdbsp";

// 72 × 72 vertices: 10 224 lines, no nodes, as an editor that builds none saves it.
const QByteArray& MapBytes() {
  static const QByteArray bytes = [] {
    const std::string wad = test::MakeWad("PWAD", test::BinaryMap("MAP01", bench::Grid(72)));
    return QByteArray(wad.data(), static_cast<qsizetype>(wad.size()));
  }();
  return bytes;
}

// Ports really started, ended and watched; a message is printed and answered Yes or OK, so
// nothing waits on a person.
class AnsweringDesktop : public QtDesktop {
 public:
  MessageResult ShowMessage(QWidget*, const QString& text, const QString&, MessageIcon,
                            MessageButtons buttons) override {
    fprintf(stderr, "message: %s\n", qPrintable(text));
    return buttons == MessageButtons::YesNo ? MessageResult::Yes : MessageResult::Ok;
  }
};

// Waits on the event loop for the port's byte in the FIFO.
bool PortRan(int reader) {
  QSocketNotifier notifier(reader, QSocketNotifier::Read);
  QEventLoop loop;
  QObject::connect(&notifier, &QSocketNotifier::activated, &loop, &QEventLoop::quit);
  QTimer::singleShot(30'000, &loop, &QEventLoop::quit);
  loop.exec();
  char byte;
  return read(reader, &byte, 1) == 1;
}

void BM_SaveToRestartedPort(benchmark::State& state) {
  const bool built = state.range(0) != 0;
  if (built && access(kZdbsp, X_OK) != 0) {
    state.SkipWithError("zdbsp is not installed");
    return;
  }
  QTemporaryDir dir;
  const QString fifo = dir.filePath(QStringLiteral("started"));
  mkfifo(fifo.toLocal8Bit().constData(), 0600);
  const QString pids = dir.filePath(QStringLiteral("pids"));
  // The stand-in port announces itself and stays, as a port does until it is ended.
  const QString port = dir.filePath(QStringLiteral("port"));
  bench::WriteFile(port, "#!/bin/sh\necho $$ >> '" + pids.toUtf8() + "'\nprintf x > '" +
                             fifo.toUtf8() + "'\nexec sleep 600\n");
  QFile::setPermissions(port, QFile::permissions(port) | QFileDevice::ExeOwner);
  const QString map = dir.filePath(QStringLiteral("map.wad"));
  bench::WriteFile(map, MapBytes());
  bench::WriteFile(
      dir.filePath(QStringLiteral("QLN2.ini")),
      "[Ports]\r\nNumPorts=1\r\nPort1Name=Port\r\nPort1Path=" + port.toUtf8() +
          "\r\n\r\n[IWADs]\r\nNumIWADs=0\r\n\r\n[Programs]\r\nNumProgs=1\r\nProg1Name=ZDBSP\r\n"
          "Prog1Path=" +
          kZdbsp +
          "\r\n\r\n[Files]\r\nNumFiles=1\r\nFile1Name=map.wad\r\nFile1Path=" + map.toUtf8() +
          "\r\n\r\n[Memory]\r\nPort=1\r\nIWAD=0\r\nProg=1\r\nUseFiles=1\r\nWarp=0\r\nWarpTo=1\r\n"
          "NoMonsters=0\r\nNoMusic=0\r\nNoSound=0\r\nNoCD=0\r\nOpenGL=0\r\n"
          "RestartOnSave=1\r\nNodeBuilder=" +
          (built ? "1" : "0") + "\r\n\r\n");
  const int reader = open(fifo.toLocal8Bit().constData(), O_RDWR | O_NONBLOCK);
  AnsweringDesktop desktop;
  {
    frmQLN2 window(desktop, dir.path());
    window.findChild<QPushButton*>(QStringLiteral("cmdTest"))->click();
    if (!PortRan(reader)) state.SkipWithError("the port did not start");
    for (auto _ : state) {
      // Saved in place, in one write, as Eureka saves.
      bench::WriteFile(map, MapBytes());
      QElapsedTimer clock;
      clock.start();
      if (!PortRan(reader)) {
        state.SkipWithError("the port did not start again");
        break;
      }
      state.SetIterationTime(static_cast<double>(clock.nsecsElapsed()) / 1e9);
    }
    window.close();
  }
  IniCache::FlushAll();
  close(reader);
  // Closing Quillon leaves its ports running; the benchmark's own go here.
  QFile list(pids);
  if (list.open(QIODevice::ReadOnly)) {
    for (const QByteArray& pid : list.readAll().split('\n')) {
      if (!pid.isEmpty()) ::kill(static_cast<pid_t>(pid.toLong()), SIGKILL);
    }
  }
}
BENCHMARK(BM_SaveToRestartedPort)
    ->ArgName("built")
    ->Arg(0)
    ->Arg(1)
    ->Unit(benchmark::kMillisecond)
    ->UseManualTime()
    ->Iterations(10);

// The first baseline: the moment a save must stay still before it counts, alone.
void BM_SaveStillMoment(benchmark::State& state) {
  for (auto _ : state) {
    std::this_thread::sleep_for(std::chrono::milliseconds(SaveWatcher::kStillMs));
  }
}
BENCHMARK(BM_SaveStillMoment)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(10);

// The second: zdbsp alone on the same map (-o OUT IN), started by posix_spawn and reaped.
void BM_ZdbspAlone(benchmark::State& state) {
  if (access(kZdbsp, X_OK) != 0) {
    state.SkipWithError("zdbsp is not installed");
    return;
  }
  QTemporaryDir dir;
  const std::string in = dir.filePath(QStringLiteral("map.wad")).toStdString();
  const std::string out = dir.filePath(QStringLiteral("built.wad")).toStdString();
  bench::WriteFile(QString::fromStdString(in), MapBytes());
  for (auto _ : state) {
    char* argv[] = {const_cast<char*>(kZdbsp), const_cast<char*>("-o"),
                    const_cast<char*>(out.c_str()), const_cast<char*>(in.c_str()), nullptr};
    posix_spawn_file_actions_t quiet;
    posix_spawn_file_actions_init(&quiet);
    posix_spawn_file_actions_addopen(&quiet, 1, "/dev/null", O_WRONLY, 0);
    pid_t pid = 0;
    if (posix_spawn(&pid, kZdbsp, &quiet, nullptr, argv, environ) != 0) {
      state.SkipWithError("zdbsp did not start");
      break;
    }
    posix_spawn_file_actions_destroy(&quiet);
    int status = 0;
    waitpid(pid, &status, 0);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
      state.SkipWithError("zdbsp failed");
      break;
    }
  }
}
BENCHMARK(BM_ZdbspAlone)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(10);

}  // namespace
}  // namespace quillon
