#include "core/wad/IwadLookup.h"

#include <algorithm>
#include <cstdlib>
#include <filesystem>

#include "core/files/PathHelpers.h"

namespace quillon::wad {

namespace {

#ifdef _WIN32
constexpr char kPathListSeparator = ';';
#else
constexpr char kPathListSeparator = ':';
#endif

bool IsAbsolute(std::string_view path) {
  if (!path.empty() && (path.front() == '/' || path.front() == '\\')) return true;
  return path.size() >= 3 && path[1] == ':' && (path[2] == '\\' || path[2] == '/');
}

std::string Environment(const char* name) {
  const char* value = std::getenv(name);
  return value ? value : "";
}

bool IsRegularFile(const std::string& path) {
  std::error_code error;
  return std::filesystem::is_regular_file(path, error);
}

}  // namespace

WadSearchPlaces SearchPlacesFromEnvironment() {
  WadSearchPlaces places;
  places.doomWadDir = Environment("DOOMWADDIR");
  places.doomWadPath = Environment("DOOMWADPATH");
  return places;
}

std::vector<std::string> IwadCandidates(std::string_view iwadFile, std::string_view portPath,
                                        const WadSearchPlaces& places) {
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
  std::vector<std::string> folders;
  folders.push_back(places.doomWadDir);
  std::string_view list = places.doomWadPath;
  while (true) {
    const auto end = list.find(kPathListSeparator);
    folders.emplace_back(list.substr(0, end));
    if (end == std::string_view::npos) break;
    list.remove_prefix(end + 1);
  }
  folders.insert(folders.end(), places.systemFolders.begin(), places.systemFolders.end());
  for (const std::string& folder : folders) {
    if (!folder.empty()) add(JoinPath(folder, name));
  }
  return candidates;
}

std::optional<std::string> FindIwad(std::string_view iwadFile, std::string_view portPath,
                                    const WadSearchPlaces& places,
                                    const std::function<bool(const std::string&)>& isFile) {
  for (std::string& candidate : IwadCandidates(iwadFile, portPath, places)) {
    if (isFile ? isFile(candidate) : IsRegularFile(candidate)) return candidate;
  }
  return std::nullopt;
}

}  // namespace quillon::wad
