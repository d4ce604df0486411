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

}  // namespace quillon::wad
