#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace quillon {

// An environment variable's value, empty when it is unset; passed in so that a test reads
// an environment of its own.
using EnvironmentReader = std::function<std::string(const char* name)>;
std::string ProcessEnvironment(const char* name);

// Where the user's data goes: $XDG_DATA_HOME, else $HOME/.local/share; empty when neither
// names an absolute folder.
std::string DataHome(const EnvironmentReader& environment);

// The folders the engines search for an IWAD besides the one they start in, as their manual
// pages list them (docs/IWAD-SEARCH.md). Find Installed and the IWAD lookup both read these,
// so a folder one of them searches the other searches too. Empty fields search nothing.
struct IwadPlaces {
  std::string doomWadDir;                  // DOOMWADDIR: one folder
  std::string doomWadPath;                 // DOOMWADPATH: folders separated by ':' (';' on Windows)
  std::string userFolder;                  // <data home>/games/doom
  std::vector<std::string> systemFolders;  // <dir>/doom and <dir>/games/doom for each data dir
};

// DOOMWADDIR, DOOMWADPATH, HOME, XDG_DATA_HOME and XDG_DATA_DIRS as `environment` gives them;
// an unset or empty XDG_DATA_DIRS is /usr/local/share:/usr/share.
IwadPlaces IwadPlacesFrom(const EnvironmentReader& environment);
IwadPlaces IwadPlacesFromEnvironment();

// The folders in the engines' order, each once, without a trailing '/' and without empty
// entries.
std::vector<std::string> IwadFolders(const IwadPlaces& places);

// Appends the folders of a list separated by `separator` to `folders`, skipping empty entries
// and folders already there.
void AddFolders(std::vector<std::string>& folders, std::string_view list, char separator = ':');

}  // namespace quillon
