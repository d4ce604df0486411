#include <gtest/gtest.h>

#include <filesystem>
#include <map>

#include "core/installed/InstalledSearch.h"
#include "core/wad/IwadLookup.h"
#include "support/ParamNames.h"
#include "support/WadWriter.h"

namespace quillon::installed {
namespace {

namespace fs = std::filesystem;
using test::DoomMap;
using test::Join;
using test::MakeHeader;
using test::MakeWad;
using test::ScratchFolder;
using test::TestLump;
using test::WriteBytes;

void MakeProgram(const fs::path& path, fs::perms perms = fs::perms::owner_all) {
  fs::create_directories(path.parent_path());
  WriteBytes(path, "#!/bin/sh\nexit 0\n");
  fs::permissions(path, perms);
}

std::vector<std::pair<std::string, std::string>> NamesAndPaths(const std::vector<Found>& found) {
  std::vector<std::pair<std::string, std::string>> pairs;
  for (const Found& f : found) pairs.emplace_back(f.name, f.path);
  return pairs;
}

TEST(FindPortsTest, KnownEnginesOnlyFirstFolderWinsAndNonProgramsAreSkipped) {
  ScratchFolder root;
  const fs::path a = root.Path() / "a", b = root.Path() / "b", games = root.Path() / "games";
  MakeProgram(b / "chocolate-doom");  // later on PATH than a's
  MakeProgram(a / "chocolate-doom");
  MakeProgram(a / "chocolate-setup");  // a setup helper
  MakeProgram(a / "doom");             // Debian's alternatives wrapper
  MakeProgram(a / "boom");
  MakeProgram(a / "crispy-doom", fs::perms::owner_read | fs::perms::owner_write);  // not executable
  fs::create_directories(a / "woof");  // a folder of that name
  MakeProgram(b / "crispy-doom");
  MakeProgram(games / "gzdoom");  // only in the extra program folder
  MakeProgram(b / "doomretro");

  SearchPlaces places;
  places.pathVar = ":" + a.string() + "::" + root.File("missing") + ":" + b.string() + "/:";
  places.programFolders = {games.string(), a.string()};
  const auto folders = ProgramFolders(places);
  EXPECT_EQ(folders, (std::vector<std::string>{a.string(), root.File("missing"), b.string(),
                                               games.string()}));
  const std::vector<std::pair<std::string, std::string>> expected{
      {"Chocolate Doom", (a / "chocolate-doom").string()},
      {"Crispy Doom", (b / "crispy-doom").string()},
      {"GZDoom", (games / "gzdoom").string()},
      {"Doom Retro", (b / "doomretro").string()},
  };
  EXPECT_EQ(NamesAndPaths(FindPorts(folders)), expected);
}

TEST(FindPortsTest, EveryEngineHasItsListName) {
  ScratchFolder root;
  std::vector<std::string> names;
  for (const KnownEngine& engine : KnownEngines()) {
    MakeProgram(root.Path() / std::string(engine.executable));
    names.emplace_back(engine.listName);
  }
  std::vector<std::string> found;
  for (const Found& f : FindPorts({root.Path().string()})) found.push_back(f.name);
  EXPECT_EQ(found,
            (std::vector<std::string>{"Chocolate Doom", "Crispy Doom", "PrBoom+", "DSDA-Doom",
                                      "Woof!", "Nugget Doom", "GZDoom", "LZDoom", "Zandronum",
                                      "Odamex", "Eternity", "Doom Retro"}));
}

// An IWAD's name from its file name and lumps.
struct IdentityCase {
  const char* name;
  const char* fileName;
  std::vector<TestLump> lumps;
  const char* expected;
  friend void PrintTo(const IdentityCase& c, std::ostream* os) { *os << c.name; }
};

std::vector<TestLump> Maps(std::initializer_list<const char*> markers) {
  std::vector<TestLump> lumps;
  for (const char* marker : markers) {
    const auto map = DoomMap(marker);
    lumps.insert(lumps.end(), map.begin(), map.end());
  }
  return lumps;
}

std::vector<TestLump> With(std::vector<TestLump> lumps, const char* extra) {
  lumps.push_back({extra, "x"});
  return lumps;
}

const IdentityCase kIdentityCases[] = {
    {"FreedoomPhase1ByLump", "freedoom1.wad", With(Maps({"E1M1", "E4M1"}), "FREEDOOM"),
     "Freedoom: Phase 1"},
    {"FreedoomPhase2ByLump", "freedoom2.wad", With(Maps({"MAP01"}), "FREEDOOM"),
     "Freedoom: Phase 2"},
    {"FreedoomUnderDoom2sName", "doom2.wad", With(Maps({"MAP01"}), "FREEDOOM"),
     "Freedoom: Phase 2"},
    {"FreeDmByLump", "deathmatch.wad", With(Maps({"MAP01"}), "FREEDM"), "FreeDM"},
    {"FreeDmByName", "freedm.wad", With(Maps({"MAP01"}), "FREEDOOM"), "FreeDM"},
    {"UltimateDoomHasEpisode4", "doom.wad", Maps({"E1M1", "E2M1", "E3M1", "E4M1"}),
     "The Ultimate Doom"},
    {"RegisteredDoom", "DOOM.WAD", Maps({"E1M1", "E2M1", "E3M1"}), "Doom"},
    {"SharewareRenamed", "doom.wad", Maps({"E1M1", "E1M2"}), "Doom Shareware"},
    {"Shareware", "doom1.wad", Maps({"E1M1"}), "Doom Shareware"},
    {"Doom2", "doom2.wad", Maps({"MAP01", "MAP02"}), "Doom II"},
    {"Tnt", "TNT.WAD", Maps({"MAP01"}), "Final Doom: TNT Evilution"},
    {"Plutonia", "plutonia.wad", Maps({"MAP01"}), "Final Doom: The Plutonia Experiment"},
    {"UnknownKeepsItsName", "mygame.wad", Maps({"MAP01"}), "mygame"},
    {"UnknownWithTwoDots", "my.game.iwad", {}, "my.game"},
    {"UnknownWithoutExtension", "iwad", {}, "iwad"},
};

class IwadIdentity : public ::testing::TestWithParam<IdentityCase> {};

TEST_P(IwadIdentity, NamedByLumpsAndFileName) {
  const IdentityCase& c = GetParam();
  wad::WadDirectory directory;
  directory.kind = wad::WadKind::kIwad;
  for (const TestLump& lump : c.lumps) directory.lumps.push_back({lump.name, 0, 0});
  directory.maps = wad::FindMaps(directory.lumps);
  EXPECT_EQ(IwadName(c.fileName, directory), c.expected);
}

INSTANTIATE_TEST_SUITE_P(Table, IwadIdentity, ::testing::ValuesIn(kIdentityCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(FindIwadsTest, IwadsOnlyBrokenSkippedFirstOfANameWinsUnreadableFoldersSkipped) {
  ScratchFolder root;
  const fs::path wadDir = root.Path() / "wadDir", pathA = root.Path() / "pathA",
                 home = root.Path() / "home", system = root.Path() / "system";
  for (const auto& folder : {wadDir, pathA, home / ".local/share/games/doom", system}) {
    fs::create_directories(folder);
  }
  const std::string doom2 = MakeWad("IWAD", Maps({"MAP01"}));
  WriteBytes(wadDir / "doom2.wad", doom2);
  WriteBytes(wadDir / "mod.wad", MakeWad("PWAD", Maps({"MAP01"})));      // a PWAD
  WriteBytes(wadDir / "notes.txt", "IWAD? no, just text");               // not a WAD
  WriteBytes(wadDir / "broken.wad", MakeHeader("IWAD", 1000, 1 << 30));  // bad directory
  WriteBytes(wadDir / "short.wad", "IWA");                               // cut short
  WriteBytes(pathA / "DOOM2.WAD", doom2);  // the same file name, later: a port takes the first
  WriteBytes(pathA / "tnt.wad", MakeWad("IWAD", Maps({"MAP01"})));
  WriteBytes(home / ".local/share/games/doom/freedoom1.wad",
             MakeWad("IWAD", With(Maps({"E1M1"}), "FREEDOOM")));
  WriteBytes(system / "freedoom2.wad", MakeWad("IWAD", With(Maps({"MAP01"}), "FREEDOOM")));
  // A link beside the file it names adds nothing (Debian's alternatives).
  fs::create_symlink(system / "freedoom2.wad", system / "alias.wad");

  SearchPlaces places;
  places.iwads.doomWadDir = wadDir.string();
  places.iwads.doomWadPath = root.File("missing") + ":" + pathA.string() + ":" +
                             (wadDir / "doom2.wad").string();  // a file given as a folder
  places.iwads.userFolder = (home / ".local/share/games/doom").string();
  places.iwads.systemFolders = {system.string(), wadDir.string()};
  const std::vector<std::pair<std::string, std::string>> expected{
      {"Doom II", (wadDir / "doom2.wad").string()},
      {"Final Doom: TNT Evilution", (pathA / "tnt.wad").string()},
      {"Freedoom: Phase 1", (home / ".local/share/games/doom/freedoom1.wad").string()},
      {"Freedoom: Phase 2", (system / "freedoom2.wad").string()},
  };
  EXPECT_EQ(NamesAndPaths(FindIwads(IwadFolders(places.iwads))), expected);
}

TEST(FindIwadsTest, AStopRequestEndsTheSearch) {
  ScratchFolder root;
  WriteBytes(root.Path() / "doom2.wad", MakeWad("IWAD", Maps({"MAP01"})));
  std::stop_source stop;
  stop.request_stop();
  EXPECT_TRUE(FindIwads({root.Path().string()}, stop.get_token()).empty());
  EXPECT_TRUE(FindPorts({root.Path().string()}, stop.get_token()).empty());
}

TEST(MarkListedTest, PortsBySameFileIwadsBySameFileName) {
  ScratchFolder root;
  MakeProgram(root.Path() / "bin/chocolate-doom");
  MakeProgram(root.Path() / "bin/crispy-doom");
  MakeProgram(root.Path() / "bin/woof");
  fs::create_symlink(root.Path() / "bin/crispy-doom", root.Path() / "crispy-link");
  Findings findings{{{"Chocolate Doom", root.File("bin/chocolate-doom")},
                     {"Crispy Doom", root.File("bin/crispy-doom")},
                     {"Woof!", root.File("bin/woof")}},
                    {{"Doom II", "/wads/doom2.wad"},
                     {"Freedoom: Phase 2", "/wads/freedoom2.wad"},
                     {"tnt", "/wads/tnt.wad"}}};
  const Listed listed{{root.File("bin/chocolate-doom"), root.File("crispy-link"), "woof"},
                      {"DOOM2.WAD", "C:\\Games\\tnt2.wad", "/elsewhere/freedoom2.wad"}};
  MarkListed(findings, listed);
  std::vector<bool> ports, iwads;
  for (const Found& f : findings.ports) ports.push_back(f.listed);
  for (const Found& f : findings.iwads) iwads.push_back(f.listed);
  EXPECT_EQ(ports, (std::vector<bool>{true, true, false}));
  EXPECT_EQ(iwads, (std::vector<bool>{true, true, false}));
}

EnvironmentReader Reader(const std::map<std::string, std::string>& environment) {
  return [&environment](const char* name) {
    return environment.contains(name) ? environment.at(name) : std::string();
  };
}

// One environment gives both searches their IWAD folders, in one order: a copy put in each
// folder, from the last to the first, is the one both now find.
TEST(SharedPlacesTest, EachIwadFolderIsSearchedByFindInstalledAndTheLookupAlike) {
  ScratchFolder root;
  const std::map<std::string, std::string> environment{
      {"DOOMWADDIR", root.File("dir")},
      {"DOOMWADPATH", root.File("path1") + ":" + root.File("path2")},
      {"HOME", root.File("home")},
      {"XDG_DATA_HOME", root.File("data")},
      {"XDG_DATA_DIRS", "share:" + root.File("sys")}};  // a relative folder counts for nothing
  SearchPlaces places = SearchPlacesFrom(Reader(environment));
  EXPECT_EQ(places.flatpakFolders, (std::vector<std::string>{root.File("data/flatpak/exports/bin"),
                                                             "/var/lib/flatpak/exports/bin"}));
  places.programFolders = places.flatpakFolders = {};
  const std::vector<std::string> folders = IwadFolders(places.iwads);
  EXPECT_EQ(folders,
            (std::vector<std::string>{root.File("dir"), root.File("path1"), root.File("path2"),
                                      root.File("data/games/doom"), root.File("sys/doom"),
                                      root.File("sys/games/doom")}));
  for (auto folder = folders.rbegin(); folder != folders.rend(); ++folder) {
    const fs::path copy = fs::path(*folder) / "doom2.wad";
    fs::create_directories(*folder);
    WriteBytes(copy, MakeWad("IWAD", Maps({"MAP01"})));
    EXPECT_EQ(NamesAndPaths(FindInstalled(places, {}).iwads),
              (std::vector<std::pair<std::string, std::string>>{{"Doom II", copy.string()}}));
    EXPECT_EQ(wad::FindIwad("doom2.wad", root.File("port/doom"), places.iwads), copy.string());
  }
  // Without the XDG variables, their defaults.
  EXPECT_EQ(IwadFolders(IwadPlacesFrom(Reader({{"HOME", "/u"}}))),
            (std::vector<std::string>{"/u/.local/share/games/doom", "/usr/local/share/doom",
                                      "/usr/local/share/games/doom", "/usr/share/doom",
                                      "/usr/share/games/doom"}));
}

TEST(FindFlatpaksTest, KnownIdsOnlyFirstInstallationWinsNamedAsTheEngineWithItsFamily) {
  ScratchFolder root;
  const fs::path user = root.Path() / "user", system = root.Path() / "system";
  MakeProgram(system / "org.zdoom.GZDoom");
  MakeProgram(user / "org.zdoom.GZDoom");
  MakeProgram(system / "org.gnome.gedit");                         // not an engine
  MakeProgram(user / "net.odamex.Odamex", fs::perms::owner_read);  // not executable
  MakeProgram(root.Path() / "app/crispy");
  // Flatpak exports a link into the application's own folder; a removed one leads nowhere.
  fs::create_symlink(root.Path() / "app/crispy", system / "io.github.fabiangreffrath.Doom");
  fs::create_symlink(root.Path() / "app/gone", system / "com.zandronum.Zandronum");

  SearchPlaces places;
  places.flatpakFolders = {user.string(), system.string()};
  const std::string crispy = (system / "io.github.fabiangreffrath.Doom").string();
  std::vector<std::tuple<std::string, std::string, std::optional<PortFamily>, bool>> found;
  for (const Found& f : FindInstalled(places, {{crispy}, {}}).ports) {
    found.emplace_back(f.name, f.path, f.family, f.listed);
  }
  EXPECT_EQ(found, (decltype(found){
                       {"Crispy Doom", crispy, PortFamily::Chocolate, true},
                       {"GZDoom", (user / "org.zdoom.GZDoom").string(), PortFamily::ZDoom, false},
                   }));
}

}  // namespace
}  // namespace quillon::installed
