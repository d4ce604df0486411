#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace quillon::wad {

// Where the ports look for an IWAD besides their own folder, passed in so the lookup can be
// tested without touching the process environment.
struct WadSearchPlaces {
  std::string doomWadDir;   // DOOMWADDIR; empty when unset
  std::string doomWadPath;  // DOOMWADPATH: folders separated by ':' (';' on Windows)
  std::vector<std::string> systemFolders = {"/usr/share/games/doom"};
};

// DOOMWADDIR and DOOMWADPATH from this process's environment.
WadSearchPlaces SearchPlacesFromEnvironment();

// The paths a port tries for the IWAD entry's file, in order: the file as the entry gives it
// from the port's folder (the port is started there; an absolute path stays as it is), then
// its bare name in DOOMWADDIR, each folder of DOOMWADPATH and the system folders. A port
// without a folder in its path skips the first. Each path is listed once.
std::vector<std::string> IwadCandidates(std::string_view iwadFile, std::string_view portPath,
                                        const WadSearchPlaces& places);

// The first candidate that is a file, as `isFile` tells (a regular file on disk by default).
std::optional<std::string> FindIwad(
    std::string_view iwadFile, std::string_view portPath, const WadSearchPlaces& places,
    const std::function<bool(const std::string&)>& isFile = nullptr);

}  // namespace quillon::wad
