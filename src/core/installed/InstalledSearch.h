#pragma once

#include <optional>
#include <span>
#include <stop_token>
#include <string>
#include <string_view>
#include <vector>

#include "core/files/IwadPlaces.h"
#include "core/launch/PortFamily.h"
#include "core/wad/WadReader.h"

// What is installed on this computer: source ports on PATH and among Flatpak's exported
// programs, and IWADs in the folders the ports search, each with the name its list entry would
// get. Standard C++ only, so the search can run off the GUI thread and be tested on temporary
// folders.
namespace quillon::installed {

// An engine by the name its executable has on every distribution, and its list name.
struct KnownEngine {
  std::string_view executable;
  std::string_view listName;
};
std::span<const KnownEngine> KnownEngines();

// Where to look, passed in so that tests never depend on this computer. Empty fields search
// nothing.
struct SearchPlaces {
  std::string pathVar;                      // PATH, folders separated by ':'
  std::vector<std::string> programFolders;  // searched after PATH
  std::vector<std::string> flatpakFolders;  // Flatpak's exported programs
  IwadPlaces iwads;                         // the IWAD folders the lookup searches too
};

// PATH and the IWAD places from `environment`, and the folders every such computer has:
// Debian's /usr/games, which a login shell's PATH may lack (root's does), and the exported
// programs of the user's and the system's Flatpak installations.
SearchPlaces SearchPlacesFrom(const EnvironmentReader& environment);
SearchPlaces SearchPlacesFromEnvironment();

// The folders searched, in order, each once (empty entries skipped).
std::vector<std::string> ProgramFolders(const SearchPlaces& places);

// One thing found: the name its entry gets and the file it names (a port's full path, an
// IWAD's full path; the IWAD entry itself keeps only the file name).
struct Found {
  std::string name;
  std::string path;
  bool listed = false;  // already in the list: offered unchecked
  // A port's family as the search knows it; none: as its name gives it.
  std::optional<PortFamily> family = std::nullopt;
};

// What the lists already hold: the ports' paths and the IWADs' files as stored.
struct Listed {
  std::vector<std::string> portPaths;
  std::vector<std::string> iwadFiles;
};

struct Findings {
  std::vector<Found> ports;  // in the order of KnownEngines, then the Flatpak engines
  std::vector<Found> iwads;  // folder by folder, files by name
};

// Each known engine once, from the first folder that holds it as an executable file.
std::vector<Found> FindPorts(const std::vector<std::string>& folders, std::stop_token stop = {});

// Each engine the family table knows by its Flatpak application id once, from the first
// folder that exports it as an executable file, named as the engine and with its family.
std::vector<Found> FindFlatpaks(const std::vector<std::string>& folders, std::stop_token stop = {});

// Every readable file whose header says IWAD and whose directory is sound; a file name
// found again in a later folder is left out, as a port would take the first. Folders that
// cannot be read are skipped.
std::vector<Found> FindIwads(const std::vector<std::string>& folders, std::stop_token stop = {});

// The IWAD's known name ("Doom II", "Freedoom: Phase 1", ...) from its lumps and file
// name; otherwise the file name without its extension.
std::string IwadName(std::string_view fileName, const wad::WadDirectory& directory);

// Marks what the lists already hold: a port by the same path (or the same file reached
// another way), an IWAD by the same file name in any letter case.
void MarkListed(Findings& findings, const Listed& listed);

// The whole search, as the dialog runs it.
Findings FindInstalled(const SearchPlaces& places, const Listed& listed, std::stop_token stop = {});

}  // namespace quillon::installed
