#include "core/installed/InstalledSearch.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <set>

#include "core/files/PathHelpers.h"

namespace quillon::installed {

namespace fs = std::filesystem;

namespace {

// Setup helpers (chocolate-setup) and Debian's alternatives wrappers (doom, boom) are not
// engines; only these names are looked for.
constexpr KnownEngine kEngines[] = {
    {"chocolate-doom", "Chocolate Doom"},
    {"crispy-doom", "Crispy Doom"},
    {"prboom-plus", "PrBoom+"},
    {"dsda-doom", "DSDA-Doom"},
    {"woof", "Woof!"},
    {"nugget-doom", "Nugget Doom"},
    {"gzdoom", "GZDoom"},
    {"lzdoom", "LZDoom"},
    {"zandronum", "Zandronum"},
    {"odamex", "Odamex"},
    {"eternity", "Eternity"},
    {"doomretro", "Doom Retro"},
};

// IWADs known by their file name, as the games shipped them.
struct KnownIwad {
  std::string_view file;  // lower case
  std::string_view name;
};
constexpr KnownIwad kIwads[] = {
    {"doom1.wad", "Doom Shareware"},
    {"doom.wad", "Doom"},  // or The Ultimate Doom, by its fourth episode
    {"doomu.wad", "The Ultimate Doom"},
    {"doom2.wad", "Doom II"},
    {"tnt.wad", "Final Doom: TNT Evilution"},
    {"plutonia.wad", "Final Doom: The Plutonia Experiment"},
    {"freedoom1.wad", "Freedoom: Phase 1"},
    {"freedoom2.wad", "Freedoom: Phase 2"},
    {"freedm.wad", "FreeDM"},
    {"heretic1.wad", "Heretic Shareware"},
    {"heretic.wad", "Heretic"},
    {"hexen.wad", "Hexen"},
    {"strife1.wad", "Strife"},
    {"chex.wad", "Chex Quest"},
    {"hacx.wad", "HACX"},
};

bool IsExecutableFile(const fs::path& path) {
  std::error_code error;
  const fs::file_status status = fs::status(path, error);
  if (error || !fs::is_regular_file(status)) return false;
  constexpr auto kAnyExec = fs::perms::owner_exec | fs::perms::group_exec | fs::perms::others_exec;
  return (status.permissions() & kAnyExec) != fs::perms::none;
}

bool HasLump(const wad::WadDirectory& directory, std::string_view name) {
  return std::any_of(directory.lumps.begin(), directory.lumps.end(),
                     [name](const wad::Lump& lump) { return lump.name == name; });
}

bool HasMap(const wad::WadDirectory& directory, std::string_view name) {
  return std::any_of(directory.maps.begin(), directory.maps.end(),
                     [name](const wad::MapInfo& map) { return map.name == name; });
}

// A folder's files by name; symbolic links after the files themselves, so a link to a file
// already seen (Debian's alternatives) is the one left out.
std::vector<fs::path> FilesOf(const std::string& folder) {
  std::vector<fs::path> files, links;
  std::error_code error;
  fs::directory_iterator it(folder, fs::directory_options::skip_permission_denied, error);
  for (; !error && it != fs::directory_iterator(); it.increment(error)) {
    std::error_code statError;
    if (!it->is_regular_file(statError)) continue;
    (it->is_symlink(statError) ? links : files).push_back(it->path());
  }
  std::sort(files.begin(), files.end());
  std::sort(links.begin(), links.end());
  files.insert(files.end(), links.begin(), links.end());
  return files;
}

std::string Canonical(const fs::path& path) {
  std::error_code error;
  const fs::path canonical = fs::weakly_canonical(path, error);
  return error ? path.string() : canonical.string();
}

}  // namespace

std::span<const KnownEngine> KnownEngines() {
  return kEngines;
}

SearchPlaces SearchPlacesFrom(const EnvironmentReader& environment) {
  SearchPlaces places;
  places.pathVar = environment("PATH");
  places.programFolders = {"/usr/local/games", "/usr/games"};
  // The user's installation first, as Flatpak's own login script orders them.
  if (const std::string dataHome = DataHome(environment); !dataHome.empty()) {
    places.flatpakFolders.push_back(JoinPath(dataHome, "flatpak/exports/bin"));
  }
  places.flatpakFolders.push_back("/var/lib/flatpak/exports/bin");
  places.iwads = IwadPlacesFrom(environment);
  return places;
}

SearchPlaces SearchPlacesFromEnvironment() {
  return SearchPlacesFrom(ProcessEnvironment);
}

std::vector<std::string> ProgramFolders(const SearchPlaces& places) {
  std::vector<std::string> folders;
  AddFolders(folders, places.pathVar);
  for (const std::string& folder : places.programFolders) AddFolders(folders, folder);
  return folders;
}

std::vector<Found> FindPorts(const std::vector<std::string>& folders, std::stop_token stop) {
  std::vector<Found> ports;
  for (const KnownEngine& engine : kEngines) {
    for (const std::string& folder : folders) {
      if (stop.stop_requested()) return ports;
      const std::string path = JoinPath(folder, engine.executable);
      if (IsExecutableFile(path)) {
        ports.push_back({std::string(engine.listName), path, false, std::nullopt});
        break;
      }
    }
  }
  return ports;
}

std::vector<Found> FindFlatpaks(const std::vector<std::string>& folders, std::stop_token stop) {
  std::vector<Found> ports;
  for (const FlatpakEngine& engine : FlatpakEngines()) {
    for (const std::string& folder : folders) {
      if (stop.stop_requested()) return ports;
      // Flatpak exports each application as a program named by its id.
      const std::string path = JoinPath(folder, engine.applicationId);
      if (IsExecutableFile(path)) {
        ports.push_back({std::string(engine.listName), path, false, engine.family});
        break;
      }
    }
  }
  return ports;
}

std::vector<Found> FindIwads(const std::vector<std::string>& folders, std::stop_token stop) {
  std::vector<Found> iwads;
  std::set<std::string> names;  // lower case: the entry keeps only the file name
  std::set<std::string> files;  // canonical paths
  for (const std::string& folder : folders) {
    std::vector<Found> here;
    for (const fs::path& path : FilesOf(folder)) {
      if (stop.stop_requested()) return iwads;
      const std::string fileName = path.filename().string();
      if (names.contains(AsciiLower(fileName))) continue;
      const wad::WadReadResult read = wad::ReadWadFile(path.string());
      if (!read.Ok() || read.directory.kind != wad::WadKind::kIwad) continue;
      if (!files.insert(Canonical(path)).second) continue;
      names.insert(AsciiLower(fileName));
      here.push_back({IwadName(fileName, read.directory), path.string(), false, std::nullopt});
    }
    std::sort(here.begin(), here.end(),
              [](const Found& a, const Found& b) { return a.path < b.path; });
    iwads.insert(iwads.end(), here.begin(), here.end());
  }
  return iwads;
}

std::string IwadName(std::string_view fileName, const wad::WadDirectory& directory) {
  // Freedoom says so in a lump of its own, whatever the file is called (a doom2.wad may be
  // Freedoom put in Doom II's place).
  if (HasLump(directory, "FREEDM")) return "FreeDM";
  if (HasLump(directory, "FREEDOOM")) {
    if (AsciiLower(fileName) == "freedm.wad") return "FreeDM";
    return HasMap(directory, "E1M1") ? "Freedoom: Phase 1" : "Freedoom: Phase 2";
  }
  const std::string lower = AsciiLower(fileName);
  for (const KnownIwad& known : kIwads) {
    if (known.file != lower) continue;
    if (known.file == "doom.wad") {
      if (HasMap(directory, "E4M1")) return "The Ultimate Doom";
      // The shareware episode alone, renamed.
      if (HasMap(directory, "E1M1") && !HasMap(directory, "E2M1") && !HasMap(directory, "E3M1")) {
        return "Doom Shareware";
      }
    }
    return std::string(known.name);
  }
  const std::size_t dot = fileName.rfind('.');
  return std::string(dot == std::string_view::npos ? fileName : fileName.substr(0, dot));
}

void MarkListed(Findings& findings, const Listed& listed) {
  for (Found& port : findings.ports) {
    port.listed = std::any_of(
        listed.portPaths.begin(), listed.portPaths.end(), [&](const std::string& stored) {
          std::error_code error;
          return stored == port.path || fs::equivalent(stored, port.path, error);
        });
  }
  std::set<std::string> listedNames;
  for (const std::string& stored : listed.iwadFiles)
    listedNames.insert(AsciiLower(FileNameOf(stored)));
  for (Found& iwad : findings.iwads) {
    iwad.listed = listedNames.contains(AsciiLower(FileNameOf(iwad.path)));
  }
}

Findings FindInstalled(const SearchPlaces& places, const Listed& listed, std::stop_token stop) {
  Findings findings;
  findings.ports = FindPorts(ProgramFolders(places), stop);
  for (Found& port : FindFlatpaks(places.flatpakFolders, stop)) {
    findings.ports.push_back(std::move(port));
  }
  findings.iwads = FindIwads(IwadFolders(places.iwads), stop);
  MarkListed(findings, listed);
  return findings;
}

}  // namespace quillon::installed
