#include <gtest/gtest.h>

#include <string>

#include "core/files/PathHelpers.h"

namespace quillon {
namespace {

#ifdef _WIN32
const std::string kSep = "\\";
#else
const std::string kSep = "/";
#endif

struct SplitRow {
  const char* path;
  const char* directory;
  const char* fileName;
  const char* extension;
};

// ExtensionOf is given whole paths on purpose in some rows: it only looks for the last
// '.', so a dot in a directory name leaks into the result. Callers pass file names.
const SplitRow kSplitRows[] = {
    {"C:\\Doom\\doom2.wad", "C:\\Doom\\", "doom2.wad", "wad"},
    {"/usr/share/games/doom/freedoom2.wad", "/usr/share/games/doom/", "freedoom2.wad", "wad"},
    {"C:\\Ports/wads\\MAP01.WAD", "C:\\Ports/wads\\", "MAP01.WAD", "wad"},
    {"e1m1.fixed.wad", "", "e1m1.fixed.wad", "wad"},
    {"readme", "", "readme", "readme"},
    {"/games/doom/", "/games/doom/", "", "/games/doom/"},
    {"C:\\my.maps\\readme", "C:\\my.maps\\", "readme", "maps\\readme"},
    {"C:\\My.Maps\\README", "C:\\My.Maps\\", "README", "maps\\readme"},
    {"/demos/run.LMP", "/demos/", "run.LMP", "lmp"},
    {"archive.", "", "archive.", ""},
    {"", "", "", ""},
};

TEST(PathHelpers, SplitsPathsAtEitherSeparator) {
  for (const auto& row : kSplitRows) {
    SCOPED_TRACE(row.path);
    EXPECT_EQ(DirectoryOf(row.path), row.directory);
    EXPECT_EQ(FileNameOf(row.path), row.fileName);
    EXPECT_EQ(ExtensionOf(row.path), row.extension);
    EXPECT_EQ(DirectoryPartOf(row.path), row.directory);
    // Told without a copy as ExtensionOf tells it.
    for (const char* extension : {"wad", "lmp", "readme", ""}) {
      EXPECT_EQ(HasExtension(row.path, extension), ExtensionOf(row.path) == extension) << extension;
    }
  }
}

TEST(PathHelpers, JoinsWithOneSeparator) {
  struct Row {
    const char* dir;
    const char* name;
    std::string joined;
  };
  const Row rows[] = {
      {"/games/doom", "doom2.wad", "/games/doom" + kSep + "doom2.wad"},
      {"/games/doom/", "doom2.wad", "/games/doom/doom2.wad"},
      {"C:\\Doom\\", "doom2.wad", "C:\\Doom\\doom2.wad"},
      {"C:\\Doom", "QLN2.txt", "C:\\Doom" + kSep + "QLN2.txt"},
      {"", "doom2.wad", "doom2.wad"},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(std::string(row.dir) + " + " + row.name);
    EXPECT_EQ(JoinPath(row.dir, row.name), row.joined);
  }
}

}  // namespace
}  // namespace quillon
