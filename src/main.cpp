#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QTimer>
#include <filesystem>
#include <string>
#include <system_error>

#include "core/files/PathHelpers.h"
#include "core/files/PrivateFolders.h"
#include "core/launch/ProgramLocations.h"
#include "core/settings/ConfigLayout.h"
#include "core/settings/IniCache.h"
#include "ui/about/Emblem.h"
#include "ui/desktop/FreedMemory.h"
#include "ui/desktop/QtText.h"
#include "ui/main/DeferredWrites.h"
#include "ui/main/frmQLN2.h"
#include "ui/system/EndSignals.h"
#include "ui/system/QtDesktop.h"

namespace {

// A portable copy keeps its files beside the executable; an installed one in the user's
// folders, which a fresh account does not have yet.
quillon::ProgramLocations LocationsFor(const QString& programDir) {
  return quillon::DecideProgramLocations(
      quillon::Ss(programDir),
      {quillon::Ss(QDir::homePath()), qEnvironmentVariable("XDG_CONFIG_HOME").toStdString(),
       qEnvironmentVariable("XDG_STATE_HOME").toStdString(),
       [](const std::string& path) { return QFileInfo::exists(quillon::Qs(path)); }});
}

// The executable's folder as the application will give it once made (Linux); empty where
// the system does not say.
QString ExecutableFolder() {
  std::error_code error;
  const std::filesystem::path executable = std::filesystem::read_symlink("/proc/self/exe", error);
  return error ? QString() : quillon::Qs(executable.parent_path().string());
}

}  // namespace

int main(int argc, char** argv) {
  // The settings file is read and parsed, and its lists read, on another core while the
  // display and the window are set up, which takes as long as reading full lists.
  if (const QString folder = ExecutableFolder(); !folder.isEmpty()) {
    quillon::IniCache::ReadAhead(
        quillon::JoinPath(LocationsFor(folder).configDir, quillon::kIniFileName),
        quillon::frmQLN2::ColumnsFilledFirst(), quillon::kLargestList);
  }
  QApplication app(argc, argv);
  QApplication::setApplicationName(QStringLiteral("Quillon"));
  QApplication::setApplicationVersion(QStringLiteral("2.01"));
  // Wayland matches the window to quillon.desktop.
  QApplication::setDesktopFileName(QStringLiteral("quillon"));

  quillon::DeferSettingsWrites();

  const quillon::ProgramLocations where = LocationsFor(QApplication::applicationDirPath());
  if (where.installed) quillon::CreatePrivateFolders(where.configDir);

  quillon::QtDesktop desktop;
  quillon::frmQLN2 window(desktop, quillon::Qs(where.configDir), quillon::Qs(where.helpFile),
                          quillon::Qs(where.logDir));
  window.SetSaveFolderRoot(quillon::Qs(quillon::SaveFolderRoot(
      where, quillon::Ss(QDir::homePath()), qEnvironmentVariable("XDG_DATA_HOME").toStdString())));
  window.SetTempFolder(quillon::Qs(
      quillon::TempFolderRoot(where, qEnvironmentVariable("XDG_RUNTIME_DIR").toStdString())));
  quillon::CloseOnEndSignals(&window);
  window.show();
  // Every window and the task bar show the emblem.
  quillon::GiveEmblemOnceShown(&window);
  // What the start freed goes back once the work it queued is done too, a moment after the
  // first paint.
  QTimer::singleShot(100, &window, quillon::ReturnFreedMemory);
  const int code = QApplication::exec();
  quillon::IniCache::FlushAll();
  return code;
}
