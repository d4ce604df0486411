#include <gtest/gtest.h>

#include <ostream>
#include <set>
#include <string>

#include "core/launch/ProgramLocations.h"

namespace quillon {

void PrintTo(const ProgramLocations& l, std::ostream* os) {
  *os << (l.installed ? "installed" : "portable") << " config=" << l.configDir
      << " help=" << l.helpFile << " logs=" << l.logDir;
}

namespace {

struct LocationCase {
  const char* name;
  const char* exeDir;
  std::set<std::string> files;  // what exists on the fake disk
  const char* xdgConfigHome;
  const char* xdgStateHome;
  ProgramLocations expected;
};

const char* const kHome = "/home/ann";

const ProgramLocations kUsrInstalled{true, "/home/ann/.config/quillon",
                                     "/usr/share/quillon/QLN2.txt",
                                     "/home/ann/.local/state/quillon/logs"};

const LocationCase kCases[] = {
    {"PackagedUnderUsr", "/usr/bin", {"/usr/share/quillon/QLN2.txt"}, "", "", kUsrInstalled},
    {"TrailingSlashOnTheFolder",
     "/usr/bin/",
     {"/usr/share/quillon/QLN2.txt"},
     "",
     "",
     kUsrInstalled},
    {"XdgFoldersSet",
     "/usr/bin",
     {"/usr/share/quillon/QLN2.txt"},
     "/cfg/",
     "/state",
     {true, "/cfg/quillon", "/usr/share/quillon/QLN2.txt", "/state/quillon/logs"}},
    {"RelativeXdgFoldersIgnored",
     "/usr/bin",
     {"/usr/share/quillon/QLN2.txt"},
     "cfg",
     "./state",
     kUsrInstalled},
    {"OtherPrefix",
     "/opt/q/bin",
     {"/opt/q/share/quillon/QLN2.txt"},
     "",
     "",
     {true, "/home/ann/.config/quillon", "/opt/q/share/quillon/QLN2.txt",
      "/home/ann/.local/state/quillon/logs"}},
    {"IniBesideInstalledExecutableMakesItPortable",
     "/usr/bin",
     {"/usr/share/quillon/QLN2.txt", "/usr/bin/QLN2.ini"},
     "",
     "",
     {false, "/usr/bin", "/usr/bin/QLN2.txt", "/usr/bin/logs"}},
    {"BinWithoutSharedHelpIsPortable",
     "/home/ann/bin",
     {},
     "",
     "",
     {false, "/home/ann/bin", "/home/ann/bin/QLN2.txt", "/home/ann/bin/logs"}},
    {"BuildFolderIsPortable",
     "/src/quillon/build",
     {"/src/quillon/share/quillon/QLN2.txt"},
     "",
     "",
     {false, "/src/quillon/build", "/src/quillon/build/QLN2.txt", "/src/quillon/build/logs"}},
    {"PortableFolderWithHelpBesideIt",
     "/games/Quillon",
     {"/games/Quillon/QLN2.txt"},
     "",
     "",
     {false, "/games/Quillon", "/games/Quillon/QLN2.txt", "/games/Quillon/logs"}},
    {"FolderNamedLikeBinIsNotBin",
     "/usr/sbin",
     {"/usr/share/quillon/QLN2.txt"},
     "",
     "",
     {false, "/usr/sbin", "/usr/sbin/QLN2.txt", "/usr/sbin/logs"}},
    {"BinAtTheRoot",
     "/bin",
     {"/share/quillon/QLN2.txt"},
     "",
     "",
     {true, "/home/ann/.config/quillon", "/share/quillon/QLN2.txt",
      "/home/ann/.local/state/quillon/logs"}},
};

void PrintTo(const LocationCase& c, std::ostream* os) {
  *os << c.name;
}

class ProgramLocationsTest : public testing::TestWithParam<LocationCase> {};

TEST_P(ProgramLocationsTest, Decides) {
  const LocationCase& c = GetParam();
  const LocationEnvironment env{kHome, c.xdgConfigHome, c.xdgStateHome,
                                [&](const std::string& path) { return c.files.count(path) > 0; }};
  EXPECT_EQ(DecideProgramLocations(c.exeDir, env), c.expected);
}

INSTANTIATE_TEST_SUITE_P(Rule, ProgramLocationsTest, testing::ValuesIn(kCases),
                         [](const testing::TestParamInfo<LocationCase>& info) {
                           return std::string(info.param.name);
                         });

}  // namespace
}  // namespace quillon
