#pragma once

#include <functional>
#include <string>
#include <string_view>

namespace quillon {

// Where the program keeps its files. A portable copy keeps everything in its own folder, as
// on Windows. An installed copy cannot write there, so its settings and logs go to the user's
// XDG folders and its help file comes from the shared data of its prefix.
//
// The rule: installed when the executable lies in a folder named "bin" whose sibling
// "share/quillon/QLN2.txt" exists and no QLN2.ini lies beside the executable; portable
// otherwise. A QLN2.ini placed beside an installed executable so makes that copy portable.
struct ProgramLocations {
  bool installed = false;
  std::string configDir;  // holds QLN2.ini
  std::string helpFile;   // QLN2.txt
  std::string logDir;     // logs of started ports

  bool operator==(const ProgramLocations&) const = default;
};

// What the rule looks at besides the executable's folder.
struct LocationEnvironment {
  std::string home;           // the user's home folder
  std::string xdgConfigHome;  // $XDG_CONFIG_HOME; empty when unset
  std::string xdgStateHome;   // $XDG_STATE_HOME; empty when unset
  std::function<bool(const std::string& path)> fileExists;
};

// exeDir is the folder of the running executable, an absolute path.
ProgramLocations DecideProgramLocations(std::string_view exeDir, const LocationEnvironment& env);

// Where ports keep their saves when the user keeps them apart: beside the settings of a
// portable copy; in the user's data folder ($XDG_DATA_HOME, else ~/.local/share) for an
// installed one, as saves are the user's own data.
std::string SaveFolderRoot(const ProgramLocations& where, const std::string& home,
                           const std::string& xdgDataHome);

// Quillon's own folder for temporary files, such as the copies of a WAD a port starts from:
// $XDG_RUNTIME_DIR/quillon when that is set (private to the user and emptied at logout),
// else "temp" beside the settings.
std::string TempFolderRoot(const ProgramLocations& where, const std::string& xdgRuntimeDir);

}  // namespace quillon
