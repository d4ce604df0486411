#include "core/files/IwadPlaces.h"

#include <algorithm>
#include <cstdlib>

#include "core/files/PathHelpers.h"

namespace quillon {

namespace {

#ifdef _WIN32
constexpr char kWadPathSeparator = ';';
#else
constexpr char kWadPathSeparator = ':';
#endif

// The XDG rules take absolute folders only and drop any other entry.
bool IsAbsoluteFolder(std::string_view folder) {
  return folder.starts_with('/');
}

// Appends `folder` without its trailing '/', unless it is empty or already there.
void AddFolder(std::vector<std::string>& folders, std::string folder) {
  while (folder.size() > 1 && folder.back() == '/') folder.pop_back();
  if (!folder.empty() && std::find(folders.begin(), folders.end(), folder) == folders.end()) {
    folders.push_back(std::move(folder));
  }
}

}  // namespace

std::string ProcessEnvironment(const char* name) {
  const char* value = std::getenv(name);
  return value ? value : "";
}

std::string DataHome(const EnvironmentReader& environment) {
  const std::string dataHome = environment("XDG_DATA_HOME");
  if (IsAbsoluteFolder(dataHome)) return dataHome;
  const std::string home = environment("HOME");
  return IsAbsoluteFolder(home) ? JoinPath(home, ".local/share") : "";
}

IwadPlaces IwadPlacesFrom(const EnvironmentReader& environment) {
  IwadPlaces places;
  places.doomWadDir = environment("DOOMWADDIR");
  places.doomWadPath = environment("DOOMWADPATH");
  if (const std::string dataHome = DataHome(environment); !dataHome.empty()) {
    places.userFolder = JoinPath(dataHome, "games/doom");
  }
  std::vector<std::string> dataDirs;
  AddFolders(dataDirs, environment("XDG_DATA_DIRS"));
  std::erase_if(dataDirs, [](const std::string& dir) { return !IsAbsoluteFolder(dir); });
  if (dataDirs.empty()) dataDirs = {"/usr/local/share", "/usr/share"};
  for (const std::string& dir : dataDirs) {
    places.systemFolders.push_back(JoinPath(dir, "doom"));
    places.systemFolders.push_back(JoinPath(dir, "games/doom"));
  }
  return places;
}

IwadPlaces IwadPlacesFromEnvironment() {
  return IwadPlacesFrom(ProcessEnvironment);
}

std::vector<std::string> IwadFolders(const IwadPlaces& places) {
  std::vector<std::string> folders;
  AddFolder(folders, places.doomWadDir);
  AddFolders(folders, places.doomWadPath, kWadPathSeparator);
  AddFolder(folders, places.userFolder);
  for (const std::string& folder : places.systemFolders) AddFolder(folders, folder);
  return folders;
}

void AddFolders(std::vector<std::string>& folders, std::string_view list, char separator) {
  std::size_t start = 0;
  while (start <= list.size()) {
    const std::size_t end = std::min(list.find(separator, start), list.size());
    AddFolder(folders, std::string(list.substr(start, end - start)));
    start = end + 1;
  }
}

}  // namespace quillon
