#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/files/IwadPlaces.h"

namespace quillon::wad {

// The paths a port tries for the IWAD entry's file, in order: the file as the entry gives it
// from the port's folder (the port is started there; an absolute path stays as it is), then
// its bare name in each of the IWAD folders (DOOMWADDIR, DOOMWADPATH, the user's and the
// system's). A port without a folder in its path skips the first. Each path is listed once.
std::vector<std::string> IwadCandidates(std::string_view iwadFile, std::string_view portPath,
                                        const IwadPlaces& places);

// The first candidate that is a file, as `isFile` tells (a regular file on disk by default).
std::optional<std::string> FindIwad(
    std::string_view iwadFile, std::string_view portPath, const IwadPlaces& places,
    const std::function<bool(const std::string&)>& isFile = nullptr);

// What follows "-iwad" for a port: the entry's file as stored when the port finds it so
// (in its own folder, or, for a port that searches the IWAD folders, in one of them);
// otherwise the path Quillon finds it at; otherwise the file as stored.
std::string IwadArgument(std::string_view iwadFile, std::string_view portPath,
                         const IwadPlaces& places, bool portSearchesFolders,
                         const std::function<bool(const std::string&)>& isFile = nullptr);

// What an IWAD entry stores for the file at `path`: its bare name when a port looking that
// name up in the IWAD folders meets this very file, otherwise the path itself.
std::string IwadEntryFile(std::string_view path, const IwadPlaces& places);

}  // namespace quillon::wad
