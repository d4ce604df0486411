// From a click on Test to the started port running.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <poll.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QApplication>
#include <QFile>
#include <QPushButton>
#include <QTemporaryDir>

#include "app/frmQLN2.h"
#include "settings/IniCache.h"
#include "shell/QtDesktop.h"

namespace quillon {
namespace {

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

}  // namespace
}  // namespace quillon
