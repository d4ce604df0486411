#include <gtest/gtest.h>

#include "core/wad/IwadLookup.h"
#include "support/WadWriter.h"

namespace quillon::wad {
namespace {

using Paths = std::vector<std::string>;

struct CandidateRow {
  const char* name;
  const char* iwadFile;
  const char* portPath;
  IwadPlaces places;
  Paths candidates;
  friend void PrintTo(const CandidateRow& row, std::ostream* os) { *os << row.name; }
};

IwadPlaces Places(std::string dir, std::string path, Paths system = {"/usr/share/games/doom"}) {
  return {std::move(dir), std::move(path), "", std::move(system)};
}

const CandidateRow kCandidateRows[] = {
    {"BesidePortThenEnvironmentThenSystem",
     "doom2.wad",
     "/opt/port/chocolate-doom",
     Places("/wads", "/a:/b"),
     {"/opt/port/doom2.wad", "/wads/doom2.wad", "/a/doom2.wad", "/b/doom2.wad",
      "/usr/share/games/doom/doom2.wad"}},
    {"NothingSet",
     "doom2.wad",
     "/opt/port/chocolate-doom",
     Places("", ""),
     {"/opt/port/doom2.wad", "/usr/share/games/doom/doom2.wad"}},
    {"EmptyPathFoldersSkipped",
     "doom2.wad",
     "/opt/port/doom",
     Places("", ":/a::/b:"),
     {"/opt/port/doom2.wad", "/a/doom2.wad", "/b/doom2.wad", "/usr/share/games/doom/doom2.wad"}},
    {"FolderListedTwiceOnce",
     "doom2.wad",
     "/usr/share/games/doom/port",
     Places("/usr/share/games/doom", "/usr/share/games/doom/"),
     {"/usr/share/games/doom/doom2.wad"}},
    {"PortOnSearchPathHasNoFolder",
     "doom2.wad",
     "chocolate-doom",
     Places("/wads", ""),
     {"/wads/doom2.wad", "/usr/share/games/doom/doom2.wad"}},
    {"NoPortSelected", "doom2.wad", "", Places("", ""), {"/usr/share/games/doom/doom2.wad"}},
    {"AbsoluteEntryFirstThenItsName",
     "/games/iwads/tnt.wad",
     "/opt/port/doom",
     Places("/wads", ""),
     {"/games/iwads/tnt.wad", "/wads/tnt.wad", "/usr/share/games/doom/tnt.wad"}},
    {"EntryWithSubfolderFromPort",
     "iwads/tnt.wad",
     "/opt/port/doom",
     Places("/wads", ""),
     {"/opt/port/iwads/tnt.wad", "/wads/tnt.wad", "/usr/share/games/doom/tnt.wad"}},
    {"WindowsEntrySearchedByName",
     "C:\\Doom\\doom.wad",
     "/opt/port/doom",
     Places("/wads", "", {}),
     {"C:\\Doom\\doom.wad", "/wads/doom.wad"}},
    {"EmptyEntry", "", "/opt/port/doom", Places("/wads", "/a"), {}},
};

class IwadSearch : public ::testing::TestWithParam<CandidateRow> {};

TEST_P(IwadSearch, TriesPlacesInThePortsOrder) {
  const CandidateRow& row = GetParam();
  EXPECT_EQ(IwadCandidates(row.iwadFile, row.portPath, row.places), row.candidates);
}

INSTANTIATE_TEST_SUITE_P(Table, IwadSearch, ::testing::ValuesIn(kCandidateRows),
                         [](const auto& info) { return std::string(info.param.name); });

// The same order on disk: each copy, once present, hides those after it.
TEST(IwadLookup, FindsTheFirstCopyOnDisk) {
  test::ScratchFolder root;
  for (const char* folder : {"port", "dir", "path1", "path2", "system"}) {
    std::filesystem::create_directory(root.Path() / folder);
  }
  const IwadPlaces places{
      root.File("dir"), root.File("path1") + ":" + root.File("path2"), "", {root.File("system")}};
  const std::string port = root.File("port/doom");
  auto find = [&] { return FindIwad("doom2.wad", port, places).value_or("(none)"); };

  EXPECT_EQ(find(), "(none)");
  // A folder of that name is not the IWAD.
  std::filesystem::create_directory(root.Path() / "path2" / "doom2.wad");
  EXPECT_EQ(find(), "(none)");
  for (const char* folder : {"system", "path1", "dir", "port"}) {
    const std::string copy = root.File(std::string(folder) + "/doom2.wad");
    test::WriteBytes(copy, test::MakeWad("IWAD", {}));
    EXPECT_EQ(find(), copy);
  }
}

TEST(IwadLookup, ReadsTheEnvironment) {
  ::setenv("DOOMWADDIR", "/from/dir", 1);
  ::setenv("DOOMWADPATH", "/from/path1:/from/path2", 1);
  const IwadPlaces places = IwadPlacesFromEnvironment();
  ::unsetenv("DOOMWADDIR");
  ::unsetenv("DOOMWADPATH");
  EXPECT_EQ(places.doomWadDir, "/from/dir");
  EXPECT_EQ(places.doomWadPath, "/from/path1:/from/path2");
  EXPECT_EQ(IwadPlacesFromEnvironment().doomWadDir, "");
}

}  // namespace
}  // namespace quillon::wad

namespace quillon::wad {
namespace {

// What follows -iwad: the entry's text where the port finds it so, the found path where
// only Quillon does, the text where nobody does.
TEST(IwadArgument, GivesThePathOnlyWhereThePortWouldNotFindTheName) {
  const IwadPlaces places{"/wads", "", "", {}};
  const auto onDisk = [](const std::string& path) {
    return path == "/wads/doom2.wad" || path == "/opt/port/tnt.wad";
  };
  struct Row {
    const char* iwad;
    const char* port;
    bool searches;
    const char* expected;
  };
  const Row rows[] = {
      {"doom2.wad", "/opt/port/dsda-doom", false, "/wads/doom2.wad"},
      {"doom2.wad", "/opt/port/chocolate-doom", true, "doom2.wad"},
      {"tnt.wad", "/opt/port/dsda-doom", false, "tnt.wad"},
      {"plutonia.wad", "/opt/port/dsda-doom", false, "plutonia.wad"},
      {"/wads/doom2.wad", "/opt/port/dsda-doom", false, "/wads/doom2.wad"},
      {"doom2.wad", "dsda-doom", false, "/wads/doom2.wad"},
  };
  for (const Row& row : rows) {
    EXPECT_EQ(IwadArgument(row.iwad, row.port, places, row.searches, onDisk), row.expected)
        << row.iwad << " for " << row.port;
  }
}

}  // namespace
}  // namespace quillon::wad
