// Start-up of the main window on configurations of growing size.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QDateTime>
#include <QDialog>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include "app/frmQLN2.h"
#include "settings/ConfigLayout.h"
#include "settings/IniCache.h"
#include "shell/Desktop.h"

namespace quillon {
namespace {

// Answers every message with OK and never opens a window of its own.
class QuietDesktop : public Desktop {
 public:
  MessageResult ShowMessage(QWidget*, const QString&, const QString&, MessageIcon,
                            MessageButtons) override {
    return MessageResult::Ok;
  }
  std::optional<QString> ChooseFile(QWidget*, const FileDialogRequest&) override { return {}; }
  int ShowModal(QDialog*) override { return 0; }
  void Launch(QWidget*, const LaunchRequest&) override {}
  bool FileExists(const QString& path) override { return QFileInfo(path).isFile(); }
  QDateTime LastModified(const QString& path) override { return QFileInfo(path).lastModified(); }
  QSize ScreenSize() override { return {1920, 1080}; }
};

// A configuration whose four lists hold `entries` entries each, with every selection on
// the last entry, written as a user's years of edits would leave it.
QByteArray Configuration(int entries) {
  QByteArray out;
  const char* lists[][4] = {{"Ports", "Port", "Path", "NumPorts"},
                            {"IWADs", "IWAD", "File", "NumIWADs"},
                            {"Programs", "Prog", "Path", "NumProgs"},
                            {"Files", "File", "Path", "NumFiles"}};
  for (const auto& list : lists) {
    out += QByteArray("[") + list[0] + "]\r\n" + list[3] + "=" + QByteArray::number(entries) + "\r\n";
    for (int n = 1; n <= entries; ++n) {
      const QByteArray number = QByteArray::number(n);
      out += list[1] + number + "Name=Entry number " + number + "\r\n";
      out += list[1] + number + list[2] + "=/home/mapper/doom/stuff/entry" + number + ".wad\r\n";
    }
    out += "\r\n";
  }
  const QByteArray last = QByteArray::number(entries);
  out += "[Memory]\r\nPort=" + last + "\r\nIWAD=" + last + "\r\nProg=" + last +
         "\r\nUseFiles=1\r\nExitOnTest=0\r\nWarp=1\r\nWarpTo=1\r\nNoMonsters=0\r\nNoMusic=0\r\n"
         "NoSound=0\r\nNoCD=0\r\nOpenGL=0\r\nParams=-fast\r\nProgParams=\r\n\r\n";
  return out;
}

// From nothing to the window shown and idle; closing it is left out of the figure.
void BM_WindowStartup(benchmark::State& state) {
  QTemporaryDir dir;
  {
    QFile file(dir.filePath(QStringLiteral("QLN2.ini")));
    file.open(QIODevice::WriteOnly);
    if (state.range(0) < 0) {
      for (const auto& line : DefaultIniLines()) file.write(QByteArray::fromStdString(line) + "\r\n");
    } else {
      file.write(Configuration(static_cast<int>(state.range(0))));
    }
  }
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
}  // namespace quillon
