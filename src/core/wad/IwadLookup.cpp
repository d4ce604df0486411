#include "core/wad/IwadLookup.h"

#include <algorithm>
#include <filesystem>

#include "core/files/PathHelpers.h"

namespace quillon::wad {

namespace {

bool IsAbsolute(std::string_view path) {
  if (!path.empty() && (path.front() == '/' || path.front() == '\\')) return true;
  return path.size() >= 3 && path[1] == ':' && (path[2] == '\\' || path[2] == '/');
}

bool IsRegularFile(const std::string& path) {
  std::error_code error;
  return std::filesystem::is_regular_file(path, error);
}

// The same file: the same path once tidied, or one file reached through a link.
bool SameFile(const std::string& a, std::string_view b) {
  namespace fs = std::filesystem;
  if (fs::path(a).lexically_normal() == fs::path(b).lexically_normal()) return true;
  std::error_code error;
  return fs::equivalent(a, b, error);
}

}  // namespace

std::vector<std::string> IwadCandidates(std::string_view iwadFile, std::string_view portPath,
                                        const IwadPlaces& places) {
  std::vector<std::string> candidates;
  if (iwadFile.empty()) return candidates;
  auto add = [&](std::string path) {
    if (std::find(candidates.begin(), candidates.end(), path) == candidates.end()) {
      candidates.push_back(std::move(path));
    }
  };
  const std::string portFolder = DirectoryOf(portPath);
  if (IsAbsolute(iwadFile)) {
    add(std::string(iwadFile));
  } else if (!portFolder.empty()) {
    add(JoinPath(portFolder, iwadFile));
  }
  const std::string name = FileNameOf(iwadFile);
  if (name.empty()) return candidates;
  for (const std::string& folder : IwadFolders(places)) add(JoinPath(folder, name));
  return candidates;
}

std::optional<std::string> FindIwad(std::string_view iwadFile, std::string_view portPath,
                                    const IwadPlaces& places,
                                    const std::function<bool(const std::string&)>& isFile) {
  for (std::string& candidate : IwadCandidates(iwadFile, portPath, places)) {
    if (isFile ? isFile(candidate) : IsRegularFile(candidate)) return candidate;
  }
  return std::nullopt;
}

std::string IwadArgument(std::string_view iwadFile, std::string_view portPath,
                         const IwadPlaces& places, bool portSearchesFolders,
                         const std::function<bool(const std::string&)>& isFile) {
  const std::string stored(iwadFile);
  const auto found = FindIwad(iwadFile, portPath, places, isFile);
  if (!found) return stored;
  const std::vector<std::string> candidates = IwadCandidates(iwadFile, portPath, places);
  // The first candidate is the one the port meets in its own folder, or the absolute path.
  const bool byName = !DirectoryOf(portPath).empty() || IsAbsolute(iwadFile);
  if (portSearchesFolders || (byName && *found == candidates.front())) return stored;
  return *found;
}

std::string IwadEntryFile(std::string_view path, const IwadPlaces& places) {
  const std::string name = FileNameOf(path);
  // An earlier folder holding a file of that name hides this one from the ports.
  const auto found = name.empty() ? std::nullopt : FindIwad(name, "", places);
  return found && SameFile(*found, path) ? name : std::string(path);
}

}  // namespace quillon::wad
